#include "ImporterFixtures.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportReport.h"
#include "core/journal/RunHistory.h"
#include "core/storage/CatalogueFailure.h"
#include "support/core/RefusingTrigger.h"
#include "support/core/TestData.h"
#include "support/core/TestServer.h"

#include <QTest>
#include <atomic>
#include <future>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

Q_DECLARE_METATYPE(tovin::Divider)
Q_DECLARE_METATYPE(tovin::FieldMap)

// An import whose catalogue refuses, locks or stops it keeps the batches it finished.
class ImportFailuresTest : public QObject {
    Q_OBJECT
private slots:
    // A lock another program holds for a moment is waited for, with a notice, and the import
    // then writes every item.
    void briefLockIsWaitedFor() {
        TestCatalogue catalogue;
        std::promise<void> locked;
        std::promise<void> release;
        std::thread holder([&, path = catalogue.path()] {
            CatalogueDatabase other(path);
            ScopedTransaction hold(other);
            locked.set_value();
            release.get_future().wait();
            hold.commit();
        });
        locked.get_future().wait();
        std::atomic<int> notices = 0;
        catalogue.db().setLockNotice([&] {
            if (notices++ == 0)
                release.set_value();
        });
        const ImportOutcome outcome = importLines(catalogue, numberedLines(30), quietOptions());
        holder.join();
        QVERIFY(notices >= 1);
        QCOMPARE(outcome.counts.added, 30);
        QCOMPARE(catalogue.count(), 30);
    }

    // New keys and the counters shown pass the 16-bit range.
    void keysAndCountersPast32767() {
        TestCatalogue catalogue;
        catalogue.add(32767, u"LAST"_s);
        catalogue.add(5, u"EARLY"_s);
        importLines(catalogue, numberedLines(3), quietOptions());
        QCOMPARE(catalogue.pid(u"N1"_s), 32768);
        QCOMPARE(catalogue.pid(u"N3"_s), 32770);
        // The key of a deleted product is not given to a new one: an order line or a sale that
        // still names it must not come to name another product.
        catalogue.db().run(u"DELETE FROM Products WHERE PID = 32770"_s);
        importLines(catalogue, numberedLines(1, 4), quietOptions());
        QCOMPARE(catalogue.pid(u"N4"_s), 32771);

        TestCatalogue big;
        ImportOutcome outcome = importLines(big, numberedLines(33000), quietOptions());
        QCOMPARE(outcome.totals, totals(33000, 33000, 0));
        QCOMPARE(big.count(), 33000);
        QCOMPARE(big.pid(u"N33000"_s), 33000);
        QCOMPARE(big.count(u"PID <> rowid"_s), 0);

        QByteArray dearer = numberedLines(33000);
        dearer.replace(",1.25\n", ",1.5\n");
        QString lastStatus;
        outcome = importLines(big, dearer, quietOptions(), SimpleMap, Divider::comma(),
                              [&](const ImportProgress& progress) {
                                  lastStatus = progress.status;
                                  return true;
                              });
        QCOMPARE(outcome.totals, totals(33000, 0, 33000));
        QCOMPARE(lastStatus,
                 u"Adding Product ID # N33000   Checked: 33000   New: 0   Edited: 33000"_s);
    }

    // A run the user stops keeps every item checked; a run that dies, or whose catalogue can no
    // longer be written (made read-only, or locked by another program), keeps its finished
    // batches and nothing of the one being written, and a failure of the catalogue itself is
    // told in plain words. Either way the catalogue stays whole and takes the next import.
    void stoppedRunKeepsWhatItFinished_data() {
        QTest::addColumn<QString>("stop"); // "cancel", "die", "read-only" or "locked"
        QTest::addColumn<int>("at");       // the item at which the run is stopped
        QTest::addColumn<int>("commitEvery");
        QTest::addColumn<int>("kept");
        QTest::addColumn<QString>("told"); // part of the message
        QTest::newRow("cancelled after 7") << u"cancel"_s << 7 << 3 << 7 << QString();
        QTest::newRow("died at 7, batches of 3") << u"die"_s << 7 << 3 << 6 << u"disk full"_s;
        QTest::newRow("read-only after 25 items")
            << u"read-only"_s << 25 << 10 << 20 << u"read-only"_s;
        QTest::newRow("locked by another program") << u"locked"_s << -1 << 10 << 0 << u"locked"_s;
    }
    void stoppedRunKeepsWhatItFinished() {
        QFETCH(QString, stop);
        QFETCH(int, at);
        QFETCH(int, commitEvery);
        QFETCH(int, kept);
        QFETCH(QString, told);
        TestCatalogue catalogue;
        catalogue.db().setLockWait(50);
        std::unique_ptr<CatalogueDatabase> other;
        std::unique_ptr<ScopedTransaction> lock;
        if (stop == u"locked"_s) {
            other = std::make_unique<CatalogueDatabase>(catalogue.path());
            lock = std::make_unique<ScopedTransaction>(*other);
        }
        ImportOptions options = quietOptions();
        options.commitEvery = commitEvery;
        QStringList statuses;
        const ProgressCallback progress = [&](const ImportProgress& report) {
            statuses << report.status;
            if (report.value != at)
                return true;
            if (stop == u"die"_s)
                throw RunTimeError(ErrorNumber::DatabaseRefused, u"disk full"_s);
            // A server made read-only refuses the transactions begun after: the batch under
            // way began writable and is kept.
            if (stop == u"read-only"_s && test::onServer()) {
                catalogue.db().run(u"SET default_transaction_read_only = on"_s);
                kept += commitEvery;
            } else if (stop == u"read-only"_s) {
                catalogue.db().run(u"PRAGMA query_only = ON"_s);
            }
            return stop != u"cancel"_s;
        };
        ImportOutcome outcome;
        QString message;
        try {
            outcome = importLines(catalogue, numberedLines(at > 10 || at < 0 ? 60 : 20), options,
                                  SimpleMap, Divider::comma(), progress);
        } catch (const CatalogueFailure& failure) { // a failure of the catalogue itself
            message = u"catalogue: "_s + failure.description();
        } catch (const RunTimeError& error) {
            message = error.description();
        }
        lock.reset();
        catalogue.db().run(test::onServer() ? u"SET default_transaction_read_only = off"_s
                                            : u"PRAGMA query_only = OFF"_s);
        QVERIFY2(message.contains(told), qPrintable(message));
        QCOMPARE(message.startsWith(u"catalogue: "_s),
                 stop == u"read-only"_s || stop == u"locked"_s);
        QVERIFY2(!message.contains(u"INSERT"_s), qPrintable(message));
        if (stop == u"cancel"_s) {
            QVERIFY(outcome.cancelled);
            QCOMPARE(outcome.totals, totals(7, 7, 0));
        }
        if (at == 7) {
            QCOMPARE(statuses.size(), 7);
            QCOMPARE(statuses.last(),
                     u"Adding Product ID # N7   Checked: 7   New: 7   Edited: 0"_s);
        }
        QCOMPARE(CatalogueDatabase(catalogue.path()).scalar(u"SELECT count(*) FROM Products"_s),
                 kept);
        // A file is checked whole; a server keeps its own storage whole.
        if (!test::onServer())
            QCOMPARE(catalogue.db().scalar(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
        importLines(catalogue, numberedLines(1, 100), quietOptions());
        // The server's keys come from a sequence, which does not take back the key of a row
        // rolled back with its batch.
        if (test::onServer())
            QVERIFY(catalogue.pid(u"N100"_s) > kept);
        else
            QCOMPARE(catalogue.pid(u"N100"_s), kept + 1);
    }
};

QTEST_GUILESS_MAIN(ImportFailuresTest)
#include "tst_importfailures.moc"
