#include "ui/shell/MdiArrange.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>
#include <QTest>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The Window menu's arrangements on a document area with a few child windows.
class MdiArrangeTest : public QObject {
    Q_OBJECT

    struct Area {
        QMdiArea area;
        QList<QMdiSubWindow*> windows;
        explicit Area(int count, int minimised = 0, QSize size = QSize(600, 400)) {
            area.resize(size);
            area.show();
            for (int i = 0; i < count + minimised; ++i) {
                windows << area.addSubWindow(new QLabel(u"screen %1"_s.arg(i)));
                windows.last()->resize(150, 100);
                windows.last()->show();
                if (i >= count)
                    windows.last()->showMinimized();
            }
        }
        QRect space() const { return area.viewport()->rect(); }
    };

    static bool apart(const QList<QMdiSubWindow*>& windows) {
        for (int i = 0; i < windows.size(); ++i)
            for (int j = 0; j < i; ++j)
                if (windows.at(i)->geometry().intersects(windows.at(j)->geometry()))
                    return false;
        return true;
    }

private slots:
    // One window to a band while the bands stay readable (at least 240 pixels high, 360 wide);
    // otherwise bands of several windows. Either way the windows fill the area without overlap.
    void tilesFillTheAreaWithoutOverlap_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("count");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("bands");
        const int rows = MdiArrange::TileHorizontal, columns = MdiArrange::TileVertical;
        QTest::newRow("horizontal, one") << rows << 1 << QSize(600, 400) << 1;
        QTest::newRow("horizontal, three in a tall area") << rows << 3 << QSize(600, 900) << 3;
        QTest::newRow("horizontal, three in a low area") << rows << 3 << QSize(600, 400) << 2;
        QTest::newRow("vertical, two in a wide area") << columns << 2 << QSize(800, 400) << 2;
        QTest::newRow("vertical, seven") << columns << 7 << QSize(600, 400) << 3;
    }
    void tilesFillTheAreaWithoutOverlap() {
        QFETCH(int, code);
        QFETCH(int, count);
        QFETCH(QSize, size);
        QFETCH(int, bands);
        Area a(count, 1, size);
        a.windows.first()->showMaximized();
        const QPoint iconPlace = a.windows.last()->pos();
        MdiArrange::arrange(&a.area, code);
        // Rows as wide as the area, or columns as high as it: seen across, both are rows.
        const auto across = [code](QRect r) {
            return code == MdiArrange::TileHorizontal ? r
                                                      : QRect(r.y(), r.x(), r.height(), r.width());
        };
        qint64 covered = 0;
        QSet<int> bandTops;
        for (QMdiSubWindow* sub : a.windows.first(count)) {
            QVERIFY(!sub->isMaximized());
            covered += qint64(sub->width()) * sub->height();
            bandTops.insert(across(sub->geometry()).top());
            if (bands == count)
                QCOMPARE(across(sub->geometry()).width(), across(a.space()).width());
        }
        QCOMPARE(covered, qint64(a.space().width()) * a.space().height());
        QCOMPARE(int(bandTops.size()), bands);
        QVERIFY(apart(a.windows.first(count)));
        QCOMPARE(a.windows.last()->pos(), iconPlace); // minimised windows are not tiled
    }

    // Cascade keeps every window inside the area whatever size it had (a screen wider than the
    // area, a maximised one), one title bar apart, all alike; with more windows than steps fit
    // they start again at the top. Minimised windows stay where they are.
    void cascadeFitsTheArea_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("firstSize"); // the first window's size before
        QTest::addColumn<bool>("wraps");      // more windows than steps fit
        QTest::newRow("three small ones") << 3 << QSize(800, 600) << QSize(150, 100) << false;
        QTest::newRow("one wider and higher than the area")
            << 2 << QSize(600, 400) << QSize(1400, 900) << false;
        QTest::newRow("one maximised") << 3 << QSize(800, 600) << QSize() << false;
        QTest::newRow("more windows than steps")
            << 12 << QSize(600, 400) << QSize(150, 100) << true;
    }
    void cascadeFitsTheArea() {
        QFETCH(int, count);
        QFETCH(QSize, size);
        QFETCH(QSize, firstSize);
        QFETCH(bool, wraps);
        Area a(count, 1, size);
        if (firstSize.isValid())
            a.windows.first()->resize(firstSize);
        else
            a.windows.first()->showMaximized();
        a.area.setActiveSubWindow(a.windows.at(1));
        const QPoint iconPlace = a.windows.last()->pos();
        MdiArrange::arrange(&a.area, MdiArrange::Cascade);
        const QList<QMdiSubWindow*> open = a.windows.first(count);
        QSet<int> lefts;
        for (QMdiSubWindow* sub : open) {
            QVERIFY(!sub->isMaximized());
            QVERIFY2(a.space().contains(sub->geometry()), qPrintable(u"%1,%2 %3x%4"_s.arg(sub->x())
                                                                         .arg(sub->y())
                                                                         .arg(sub->width())
                                                                         .arg(sub->height())));
            QCOMPARE(sub->size(), open.first()->size());
            QCOMPARE(sub->x(), sub->y()); // down and right by the same step
            lefts.insert(sub->x());
        }
        if (wraps)
            QVERIFY(lefts.size() < count);
        else
            QCOMPARE(int(lefts.size()), count);
        // Still large enough to read a screen in.
        QVERIFY(open.first()->width() >= 360 && open.first()->height() >= 240);
        QCOMPARE(*std::min_element(lefts.cbegin(), lefts.cend()), a.space().left());
        // The last place reaches the far corner: the windows use the area they are given.
        QCOMPARE(*std::max_element(lefts.cbegin(), lefts.cend()) + open.first()->width(),
                 a.space().right() + 1);
        QCOMPARE(a.area.activeSubWindow(), a.windows.at(1)); // the one in front stays in front
        QCOMPARE(a.windows.last()->pos(), iconPlace);
    }

    void arrangeIconsLinesUpMinimisedWindows() {
        Area a(1, 3);
        for (QMdiSubWindow* sub : a.windows.mid(1))
            sub->move(200, 50); // scattered on top of each other
        const QRect open = a.windows.first()->geometry();
        MdiArrange::arrange(&a.area, 9); // an unknown arrangement, or no area, does nothing
        MdiArrange::arrange(nullptr, MdiArrange::ArrangeIcons);
        QCOMPARE(a.windows.last()->pos(), QPoint(200, 50));
        MdiArrange::arrange(&a.area, MdiArrange::ArrangeIcons);
        for (QMdiSubWindow* icon : a.windows.mid(1)) {
            QCOMPARE(icon->geometry().bottom(), a.space().bottom());
            QVERIFY(a.space().contains(icon->geometry()));
        }
        QVERIFY(apart(a.windows.mid(1)));
        QCOMPARE(a.windows.first()->geometry(), open);
    }
};

QTEST_MAIN(MdiArrangeTest)
#include "tst_mdiarrange.moc"
