#include "ui/shell/MdiArrange.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>
#include <QTest>

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
