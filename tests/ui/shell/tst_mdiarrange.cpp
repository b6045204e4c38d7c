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
                QMdiSubWindow* sub = area.addSubWindow(new QLabel(u"screen %1"_s.arg(i)));
                sub->resize(150, 100);
                sub->show();
                if (i >= count)
                    sub->showMinimized();
                windows << sub;
            }
        }
        QRect space() const { return area.viewport()->rect(); }
    };

private slots:
    void tilesFillTheAreaWithoutOverlap_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("count");
        QTest::newRow("horizontal, one") << int(MdiArrange::TileHorizontal) << 1;
        QTest::newRow("horizontal, three") << int(MdiArrange::TileHorizontal) << 3;
        QTest::newRow("vertical, two") << int(MdiArrange::TileVertical) << 2;
        QTest::newRow("vertical, seven") << int(MdiArrange::TileVertical) << 7;
    }
    void tilesFillTheAreaWithoutOverlap() {
        QFETCH(int, code);
        QFETCH(int, count);
        Area a(count, 1);
        a.windows.first()->showMaximized();
        const QPoint iconPlace = a.windows.last()->pos();
        MdiArrange::arrange(&a.area, code);
        int covered = 0;
        for (int i = 0; i < count; ++i) {
            const QRect r = a.windows.at(i)->geometry();
            QVERIFY(!a.windows.at(i)->isMaximized());
            if (code == MdiArrange::TileHorizontal) {
                QCOMPARE(r.left(), a.space().left()); // rows, as wide as the area
                QCOMPARE(r.width(), a.space().width());
                covered += r.height();
            } else {
                QCOMPARE(r.top(), a.space().top()); // columns, as high as the area
                QCOMPARE(r.height(), a.space().height());
                covered += r.width();
            }
            for (int j = 0; j < i; ++j)
                QVERIFY(!r.intersects(a.windows.at(j)->geometry()));
        }
        QCOMPARE(covered,
                 code == MdiArrange::TileHorizontal ? a.space().height() : a.space().width());
        QCOMPARE(a.windows.last()->pos(), iconPlace); // minimised windows are not tiled
    }

    void arrangeIconsLinesUpMinimisedWindows() {
        Area a(1, 3);
        for (QMdiSubWindow* sub : a.windows.mid(1))
            sub->move(200, 50); // scattered on top of each other
        const QRect open = a.windows.first()->geometry();
        MdiArrange::arrange(&a.area, MdiArrange::ArrangeIcons);
        const QList<QMdiSubWindow*> icons = a.windows.mid(1);
        for (int i = 0; i < icons.size(); ++i) {
            const QRect r = icons.at(i)->geometry();
            QCOMPARE(r.bottom(), a.space().bottom());
            QVERIFY(a.space().contains(r));
            for (int j = 0; j < i; ++j)
                QVERIFY(!r.intersects(icons.at(j)->geometry()));
        }
        QCOMPARE(a.windows.first()->geometry(), open);
    }

    void unknownCodeDoesNothing() {
        Area a(2);
        const QRect before = a.windows.first()->geometry();
        MdiArrange::arrange(&a.area, 9);
        MdiArrange::arrange(nullptr, MdiArrange::TileVertical);
        QCOMPARE(a.windows.first()->geometry(), before);
    }
};

QTEST_MAIN(MdiArrangeTest)
#include "tst_mdiarrange.moc"
