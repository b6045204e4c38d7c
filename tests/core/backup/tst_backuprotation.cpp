#include "core/backup/BackupRotation.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

using Days = QList<int>;

// The Backups folder over a simulated month: a copy is written on each open day and the
// rotation runs after it, as the program does at the first opening of each day.
class BackupRotationTest : public QObject {
    Q_OBJECT

    static QDate december(int day) { return QDate(2026, 12, 1).addDays(day - 1); }

private slots:
    void keepsDailyAndWeeklyCopiesOverAMonth_data() {
        QTest::addColumn<int>("daily");
        QTest::addColumn<int>("weekly");
        QTest::addColumn<bool>("closedOnSundays");
        QTest::addColumn<Days>("kept"); // days of December 2026 left on the 31st (a Thursday)
        // Weeks run Monday to Sunday: Nov 30-Dec 6, 7-13, 14-20, 21-27, 28-Jan 3.
        QTest::newRow("every day, 7 daily and 4 weekly")
            << 7 << 4 << false << Days{6, 13, 20, 24, 25, 26, 27, 28, 29, 30, 31};
        QTest::newRow("closed on Sundays, 7 daily and 4 weekly")
            << 7 << 4 << true << Days{5, 12, 19, 23, 24, 25, 26, 28, 29, 30, 31};
        QTest::newRow("every day, 2 daily and 1 weekly") << 2 << 1 << false << Days{29, 30, 31};
        QTest::newRow("every day, 3 daily and 2 weekly")
            << 3 << 2 << false << Days{27, 28, 29, 30, 31};
        QTest::newRow("every day, 10 daily and 1 weekly")
            << 10 << 1 << false << Days{21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};
        QTest::newRow("every day, more weeks than the month has")
            << 7 << 12 << false << Days{6, 13, 20, 24, 25, 26, 27, 28, 29, 30, 31};
    }
    void keepsDailyAndWeeklyCopiesOverAMonth() {
        QFETCH(int, daily);
        QFETCH(int, weekly);
        QFETCH(bool, closedOnSundays);
        QFETCH(Days, kept);
        QList<QDate> folder;
        for (int day = 1; day <= 31; ++day) {
            const QDate today = december(day);
            if (closedOnSundays && today.dayOfWeek() == Qt::Sunday)
                continue;
            folder << today;
            folder = BackupRotation::keep(folder, today, {daily, weekly});
            // The copy just written is never the one removed.
            QVERIFY(folder.contains(today));
        }
        QList<QDate> expected;
        for (int day : kept)
            expected << december(day);
        std::sort(folder.begin(), folder.end());
        QCOMPARE(folder, expected);
    }

    // A copy dated after today (the clock was set back) is not the rotation's to remove, and
    // takes no place of the daily ones.
    void copyFromALaterDateStays() {
        const QList<QDate> present{december(40), december(10), december(9), december(8)};
        QList<QDate> kept = BackupRotation::keep(present, december(10), {2, 0});
        std::sort(kept.begin(), kept.end());
        QCOMPARE(kept, (QList<QDate>{december(9), december(10), december(40)}));
    }
};

QTEST_GUILESS_MAIN(BackupRotationTest)
#include "tst_backuprotation.moc"
