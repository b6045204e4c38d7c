#include "core/shell/WindowPlacement.h"

#include <QTest>

using namespace tovin;

// Where the main window opens at a first start, on screens of several sizes.
class WindowPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void firstStart_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("window");
        QTest::newRow("roomy screen") << QRect(0, 0, 1280, 900) << QRect(67, 67, 1100, 800);
        QTest::newRow("wide but low") << QRect(0, 0, 1366, 768) << QRect(67, 0, 1100, 768);
        QTest::newRow("just too low for the offset")
            << QRect(0, 0, 1280, 840) << QRect(67, 40, 1100, 800);
        QTest::newRow("small screen") << QRect(0, 0, 1024, 700) << QRect(0, 0, 1024, 700);
        QTest::newRow("panel on top") << QRect(0, 32, 1920, 1048) << QRect(67, 67, 1100, 800);
        QTest::newRow("screen to the right")
            << QRect(1920, 0, 1280, 1024) << QRect(1920, 67, 1100, 800);
        QTest::newRow("no screen") << QRect() << QRect(67, 67, 1100, 800);
    }
    void firstStart() {
        QFETCH(QRect, available);
        QFETCH(QRect, window);
        QCOMPARE(WindowPlacement::firstStart(available), window);
    }

    // A stored placement stays while its title bar can be grabbed on some screen; otherwise it
    // comes back onto the screen it overlaps most (or the first), no larger than that screen.
    void keepVisible_data() {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QList<QRect>>("available");
        QTest::addColumn<QRect>("window");
        const QList<QRect> one{QRect(0, 0, 1280, 1024)};
        const QList<QRect> two{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
        QTest::newRow("on the screen")
            << QRect(100, 100, 900, 700) << one << QRect(100, 100, 900, 700);
        QTest::newRow("hanging off the bottom, title on the screen")
            << QRect(100, 900, 900, 700) << one << QRect(100, 900, 900, 700);
        QTest::newRow("hanging off the right, a grip left")
            << QRect(1190, 50, 900, 700) << one << QRect(1190, 50, 900, 700);
        QTest::newRow("only a sliver of the title left")
            << QRect(1230, 50, 900, 700) << one << QRect(380, 50, 900, 700);
        QTest::newRow("title above the screen")
            << QRect(100, -10, 900, 700) << one << QRect(100, 0, 900, 700);
        QTest::newRow("on the second screen")
            << QRect(2000, 100, 900, 700) << two << QRect(2000, 100, 900, 700);
        QTest::newRow("second screen gone")
            << QRect(2000, 100, 900, 700) << one << QRect(380, 100, 900, 700);
        QTest::newRow("far away: onto the first screen")
            << QRect(-5000, -5000, 900, 700) << two << QRect(0, 0, 900, 700);
        QTest::newRow("larger than the screen it comes back to")
            << QRect(2000, -1000, 2500, 1500) << two << QRect(1280, 0, 1920, 1080);
        QTest::newRow("no screens known")
            << QRect(-5000, 0, 900, 700) << QList<QRect>{} << QRect(-5000, 0, 900, 700);
    }
    void keepVisible() {
        QFETCH(QRect, stored);
        QFETCH(QList<QRect>, available);
        QFETCH(QRect, window);
        QCOMPARE(WindowPlacement::keepVisible(stored, available), window);
    }
};

QTEST_APPLESS_MAIN(WindowPlacementTest)
#include "tst_windowplacement.moc"
