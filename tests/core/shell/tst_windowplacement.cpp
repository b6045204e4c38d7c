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
};

QTEST_APPLESS_MAIN(WindowPlacementTest)
#include "tst_windowplacement.moc"
