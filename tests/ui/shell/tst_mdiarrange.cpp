#include "ui/shell/MdiArrange.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The Window menu's arrangements on a document area with a few child windows.
class MdiArrangeTest : public QObject {
    Q_OBJECT

    struct Area {
        QMdiArea area;
        QList<QMdiSubWindow*> windows;
        explicit Area(int count, int minimised = 0) {
            area.resize(600, 400);
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
    void tilesFillTheAreaWithoutOverlap_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("count");
        QTest::newRow("horizontal, one") << int(MdiArrange::TileHorizontal) << 1;
        QTest::newRow("horizontal, three") << int(MdiArrange::TileHorizontal) << 3;
        QTest::newRow("vertical, seven") << int(MdiArrange::TileVertical) << 7;
    }
    void tilesFillTheAreaWithoutOverlap() {
        QFETCH(int, code);
        QFETCH(int, count);
        Area a(count, 1);
        a.windows.first()->showMaximized();
        const QPoint iconPlace = a.windows.last()->pos();
        MdiArrange::arrange(&a.area, code);
        // Rows as wide as the area, or columns as high as it: seen across, both are rows.
        const auto across = [code](QRect r) {
            return code == MdiArrange::TileHorizontal ? r
                                                      : QRect(r.y(), r.x(), r.height(), r.width());
        };
        int covered = 0;
        for (QMdiSubWindow* sub : a.windows.first(count)) {
            QVERIFY(!sub->isMaximized());
            QCOMPARE(across(sub->geometry()).left(), across(a.space()).left());
            QCOMPARE(across(sub->geometry()).width(), across(a.space()).width());
            covered += across(sub->geometry()).height();
        }
        QCOMPARE(covered, across(a.space()).height());
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
