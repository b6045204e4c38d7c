#include "core/base/EventWait.h"

#include <QTest>
#include <QTimer>

using namespace tovin;

// One screen waiting for another: the wait ends with the condition, or is abandoned when the
// program closes, and then says so.
class EventWaitTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { resumeWaits(); }

    void waitEnds_data() {
        QTest::addColumn<QString>("during"); // what happens while the wait runs
        QTest::addColumn<bool>("result");
        QTest::newRow("condition comes true") << QStringLiteral("done") << true;
        QTest::newRow("program closing") << QStringLiteral("abandon") << false;
        QTest::newRow("close refused, then done") << QStringLiteral("abandon resume done") << true;
        QTest::newRow("closing before the wait") << QStringLiteral("before") << false;
    }
    void waitEnds() {
        QFETCH(QString, during);
        QFETCH(bool, result);
        bool done = false;
        if (during == QStringLiteral("before"))
            abandonWaits();
        QTimer events; // owned here: a wait that never runs it takes it along
        events.setSingleShot(true);
        connect(&events, &QTimer::timeout, this, [&] {
            for (const QString& step : during.split(u' ')) {
                if (step == QStringLiteral("abandon"))
                    abandonWaits();
                else if (step == QStringLiteral("resume"))
                    resumeWaits();
                else if (step == QStringLiteral("done"))
                    done = true;
            }
        });
        events.start(0);
        QCOMPARE(waitUntil([&] { return done; }), result);
        // A wait that is over leaves the program as it found it for the next one.
        if (during == QStringLiteral("before")) {
            resumeWaits();
            QVERIFY(!waitsAbandoned());
            QVERIFY(waitUntil([] { return true; }));
        }
    }
};

QTEST_GUILESS_MAIN(EventWaitTest)
#include "tst_eventwait.moc"
