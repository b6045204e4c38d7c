#include "core/storage/CatalogueChanges.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/CatalogueLocation.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/PostgresNotices.h"
#include "core/storage/PostgresSql.h"
#include "support/core/TestServer.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTextStream>
#include <QThread>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

qint64 count(StorageConnection& db, const QString& sql) {
    const auto q = db.prepare(sql);
    return q->next() ? q->integer(0) : -1;
}

// A run of a statement counting rows, which tells "read N" when it is done.
StorageConnection::GroupedRun countingRun(StorageStatement& read, QStringList& told) {
    return {&read,
            {},
            [&told](StorageStatement& q) {
                told << u"read "_s + QString::number(q.next() ? q.integer(0) : -1);
            },
            {}};
}

// Returns once every event queued before the call has been handled: a call queued now runs
// after them.
void runQueuedEvents() {
    bool reached = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&reached] { reached = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(reached);
}

} // namespace

class PgConnectionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ServerDatabase> m_database;

    std::unique_ptr<PostgresConnection> connect() {
        return PostgresConnection::open(m_database->uri());
    }

    // This test program started again as another program on the test's database, doing what
    // the environment variable `role` says (see main).
    void startAgainAs(QProcess& process, const char* role) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1StringView(role), m_database->uri());
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationFilePath(), {});
    }

private slots:
    void initTestCase() {
        if (clusterUri().isEmpty())
            QSKIP("No PostgreSQL cluster: run through ctest, which starts one");
    }
    void init() {
        if (!clusterUri().isEmpty())
            m_database = std::make_unique<ServerDatabase>();
    }
    void cleanup() { m_database.reset(); }

    void parametersAreNumbered_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<int>("count");
        QTest::newRow("plain marks") << u"SELECT ?, ?"_s << u"SELECT $1, $2"_s << 2;
        QTest::newRow("numbered marks") << u"SELECT ?2, ?1, ?"_s << u"SELECT $2, $1, $3"_s << 3;
        QTest::newRow("named twice") << u"SELECT :a, :b, :a"_s << u"SELECT $1, $2, $1"_s << 2;
        QTest::newRow("marks in a string") << u"SELECT '?:a', ?"_s << u"SELECT '?:a', $1"_s << 1;
        QTest::newRow("quote in a string")
            << u"SELECT 'it''s ?', ?"_s << u"SELECT 'it''s ?', $1"_s << 1;
        QTest::newRow("line comment")
            << u"SELECT ? -- what?\n, ?"_s << u"SELECT $1 -- what?\n, $2"_s << 2;
        QTest::newRow("block comment")
            << u"SELECT /* ? :x */ ?"_s << u"SELECT /* ? :x */ $1"_s << 1;
        QTest::newRow("cast is no name") << u"SELECT ?::bigint"_s << u"SELECT $1::bigint"_s << 1;
        QTest::newRow("dollar body")
            << u"DO $$ BEGIN PERFORM '?'; END $$"_s << u"DO $$ BEGIN PERFORM '?'; END $$"_s << 0;
        QTest::newRow("quoted name lowered")
            << u"SELECT \"Date Received\" FROM Orders WHERE \"Order ID\" = ?"_s
            << u"SELECT \"date received\" FROM Orders WHERE \"order id\" = $1"_s << 1;
        QTest::newRow("collation kept")
            << u"SELECT x COLLATE \"C\" ILIKE ?"_s << u"SELECT x COLLATE \"C\" ILIKE $1"_s << 1;
    }
    void parametersAreNumbered() {
        QFETCH(QString, sql);
        QFETCH(QString, sent);
        QFETCH(int, count);
        const PostgresSql::Translated t = PostgresSql::translate(sql);
        QCOMPARE(QString::fromUtf8(t.text), sent);
        QCOMPARE(t.parameterCount, count);
    }

    void writtenTableIsFound_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("table");
        QTest::newRow("insert") << u"INSERT INTO \"Products\" (a) VALUES (?)"_s << u"products"_s;
        QTest::newRow("insert or ignore")
            << u"INSERT OR IGNORE INTO RowKeys VALUES (1)"_s << u"rowkeys"_s;
        QTest::newRow("update") << u"UPDATE Supplier SET Name = ?"_s << u"supplier"_s;
        QTest::newRow("delete") << u"delete from Orders where rowid = ?"_s << u"orders"_s;
        QTest::newRow("select") << u"SELECT * FROM Products"_s << QString();
    }
    void writtenTableIsFound() {
        QFETCH(QString, sql);
        QFETCH(QString, table);
        QCOMPARE(PostgresSql::translate(sql).writtenTable, table);
    }

    // The server's texts cannot hold the character NUL, and libpq would send such a text cut
    // short at it: "AB\0CD" would be written, or looked up, as "AB". It is refused instead,
    // alone or among the runs of a group, whose other runs are still made.
    void textHoldingNulIsRefusedNotCut_data() {
        QTest::addColumn<bool>("grouped");
        QTest::newRow("alone") << false;
        QTest::newRow("in a group") << true;
    }
    void textHoldingNulIsRefusedNotCut() {
        QFETCH(bool, grouped);
        const auto db = connect();
        db->prepare(u"CREATE TABLE t (v text)"_s)->execute();
        const auto insert = db->prepare(u"INSERT INTO t (v) VALUES (?)"_s);
        const QString cut = u"AB"_s + QChar(0) + u"CD"_s;
        QStringList refusals;
        db->begin();
        if (grouped) {
            std::vector<StorageConnection::GroupedRun> runs;
            for (const QString& value : {u"before"_s, cut, u"after"_s})
                runs.push_back(
                    {insert.get(), {QVariant(value)}, {}, [&](const StatementRefused& e) {
                         refusals << e.databaseMessage();
                     }});
            db->runTogether(runs);
        } else {
            try {
                insert->bind(1, QVariant(cut));
                insert->execute();
            } catch (const StatementRefused& e) {
                refusals << e.databaseMessage();
            }
        }
        db->commit();
        QCOMPARE(refusals.size(), 1);
        QVERIFY2(refusals.first().contains(u"NUL"_s), qPrintable(refusals.first()));
        QStringList rows;
        const auto read = db->prepare(u"SELECT v FROM t ORDER BY v"_s);
        while (read->next())
            rows << read->text(0);
        QCOMPARE(rows.join(u' '), grouped ? u"after before"_s : QString());
    }

    // Work done meanwhile comes once the runs before it are done and told, while the server is
    // sent the rest. Work that fails, or that uses the connection, which is still taking in the
    // answers, ends the group plainly and leaves the connection ready for the rollback.
    void meanwhileWorkComesAfterItsRuns_data() {
        QTest::addColumn<int>("how"); // 0: works, 1: fails, 2: uses the connection
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("order");
        for (const int after : {2, 0}) {
            const char* const when = after == 0 ? ", from the start" : "";
            const QString order = after == 0 ? u"work,1,read 1"_s : u"1,read 1,work"_s;
            QTest::addRow("work done%s", when) << 0 << after << order;
            // Work failing before any answer came leaves them all untold.
            const QString failed = after == 0 ? u"work"_s : order;
            QTest::addRow("work that fails%s", when) << 1 << after << failed;
            QTest::addRow("work that uses the connection%s", when) << 2 << after << failed;
        }
    }
    void meanwhileWorkComesAfterItsRuns() {
        QFETCH(int, how);
        QFETCH(int, after);
        QFETCH(QString, order);
        const auto db = connect();
        db->prepare(u"CREATE TABLE t (k bigint)"_s)->execute();
        const auto insert = db->prepare(u"INSERT INTO t (k) VALUES (?)"_s);
        const auto read = db->prepare(u"SELECT count(*) FROM t"_s);
        QStringList told;
        std::vector<StorageConnection::GroupedRun> runs;
        runs.push_back({insert.get(), {qint64(1)}, [&](StorageStatement&) { told << u"1"_s; }, {}});
        runs.push_back(countingRun(*read, told));
        runs.push_back({insert.get(), {qint64(2)}, [&](StorageStatement&) { told << u"2"_s; }, {}});
        const auto work = [&] {
            told << u"work"_s;
            if (how == 1)
                throw RunTimeError(ErrorNumber::InvalidProcedureCall, u"no"_s);
            if (how == 2)
                db->prepare(u"SELECT 1"_s)->execute();
        };
        db->begin();
        try {
            db->runTogether(runs, {size_t(after), work});
            db->commit();
        } catch (const RunTimeError&) {
            db->rollback();
        }
        QCOMPARE(told.mid(0, 3).join(u','), order);
        QCOMPARE(count(*db, u"SELECT count(*) FROM t"_s), how == 0 ? 2 : 0);
    }

    // Work is done while the server makes the runs after its own: here the run waits for a lock
    // that only the work lets go of, once it sees the run waiting. Work done before the run was
    // sent would never see it wait; answers held back until the group's end would keep the work
    // from coming before the lock wait gave up.
    void meanwhileWorkComesWhileTheServerMakesTheRest_data() {
        QTest::addColumn<bool>("runBefore");
        QTest::addColumn<QString>("expected");
        QTest::newRow("after a run") << true << u"first,work,locked"_s;
        QTest::newRow("from the start, with one run") << false << u"work,locked"_s;
    }
    void meanwhileWorkComesWhileTheServerMakesTheRest() {
        QFETCH(bool, runBefore);
        QFETCH(QString, expected);
        const auto db = connect();
        const auto other = connect();
        const qint64 pid = count(*db, u"SELECT pg_backend_pid()"_s);
        other->prepare(u"SELECT pg_advisory_lock(7)"_s)->execute();
        const auto first = db->prepare(u"SELECT 1"_s);
        const auto locking = db->prepare(u"SELECT pg_advisory_xact_lock(7)"_s);
        QStringList told;
        std::vector<StorageConnection::GroupedRun> runs;
        if (runBefore)
            runs.push_back({first.get(), {}, [&](StorageStatement&) { told << u"first"_s; }, {}});
        runs.push_back({locking.get(), {}, [&](StorageStatement&) { told << u"locked"_s; }, {}});
        bool sawItWait = false;
        const auto work = [&] {
            told << u"work"_s;
            const QString waiting = u"SELECT count(*) FROM pg_locks WHERE pid = %1 AND "
                                    u"locktype = 'advisory' AND NOT granted"_s.arg(pid);
            for (QDeadlineTimer limit(20000); !sawItWait && !limit.hasExpired(); QThread::msleep(5))
                sawItWait = count(*other, waiting) == 1;
            other->prepare(u"SELECT pg_advisory_unlock(7)"_s)->execute();
        };
        db->begin();
        db->prepare(u"SET LOCAL lock_timeout = '30s'"_s)->execute();
        db->runTogether(runs, {runs.size() - 1, work});
        db->commit();
        QVERIFY(sawItWait);
        QCOMPARE(told.join(u','), expected);
    }

    // A statement refused inside a transaction leaves the work before it in place, and the
    // transaction goes on to be committed.
    void failedStatementKeepsTheTransaction_data() {
        QTest::addColumn<QString>("failing");
        QTest::newRow("duplicate key") << u"INSERT INTO t (k) VALUES (1)"_s;
        QTest::newRow("unknown column") << u"SELECT nothing FROM t"_s;
        QTest::newRow("bad value") << u"INSERT INTO t (k) VALUES ('x')"_s;
    }
    void failedStatementKeepsTheTransaction() {
        QFETCH(QString, failing);
        const auto db = connect();
        db->prepare(u"CREATE TABLE t (k bigint PRIMARY KEY)"_s)->execute();
        db->begin();
        db->prepare(u"INSERT INTO t (k) VALUES (1)"_s)->execute();
        QVERIFY_THROWS_EXCEPTION(StatementRefused, db->prepare(failing)->execute());
        QVERIFY(db->inTransaction());
        db->prepare(u"INSERT INTO t (k) VALUES (2)"_s)->execute();
        db->commit();
        QCOMPARE(count(*db, u"SELECT count(*) FROM t"_s), qint64(2));
    }

    // A statement run again goes as one the server keeps parsed: values of another type make
    // it anew rather than being read as the old type's bytes, one that cannot be made leaves
    // the transaction's earlier work in place, and the server lets go of it once the
    // statement is gone.
    void statementRunAgainTakesEachValueAsSent() {
        const auto db = connect();
        db->prepare(u"CREATE TABLE t (k bigint PRIMARY KEY, v bigint)"_s)->execute();
        db->begin();
        {
            const auto insert = db->prepare(u"INSERT INTO t (k, v) VALUES (?, ?)"_s);
            const QVariantList values{u"7"_s,          u"8"_s,     5.0,   qint64(6),
                                      QByteArray("x"), QVariant(), u"9"_s};
            for (int k = 0; k < values.size(); ++k) {
                insert->reset();
                insert->bind(1, qint64(k + 1));
                insert->bind(2, values.at(k));
                if (values.at(k).typeId() == QMetaType::QByteArray)
                    QVERIFY_THROWS_EXCEPTION(StatementRefused, insert->execute());
                else
                    insert->execute();
            }
        }
        db->commit();
        QStringList rows;
        const auto read = db->prepare(u"SELECT k, v FROM t ORDER BY k"_s);
        while (read->next())
            rows << QString::number(read->integer(0)) + u':' +
                        (read->isNull(1) ? u"null"_s : QString::number(read->integer(1)));
        QCOMPARE(rows.join(u' '), u"1:7 2:8 3:5 4:6 6:null 7:9"_s);
        QCOMPARE(count(*db, u"SELECT count(*) FROM pg_prepared_statements"_s), qint64(0));
    }

    // The server keeps the plan of a kept statement. One kept while its table was empty is
    // made anew once the connection has written many rows, so a lookup no longer reads the
    // whole table row by row as an import fills it.
    void keptStatementIsPlannedAgainAsItsTableGrows() {
        const auto db = connect();
        db->prepare(u"CREATE TABLE t (k bigint PRIMARY KEY, code text)"_s)->execute();
        db->prepare(u"CREATE INDEX t_code ON t (code)"_s)->execute();
        db->prepare(u"ANALYZE t"_s)->execute();
        const auto find = db->prepare(u"SELECT k FROM t WHERE code = ?"_s);
        const auto lookUp = [&] {
            for (int i = 0; i < 8; ++i) {
                find->reset();
                find->bind(1, u"c%1"_s.arg(i));
                find->next();
            }
            find->reset();
        };
        // The plan the server keeps for the lookup made last.
        const auto keptPlan = [&] {
            const auto name = db->prepare(u"SELECT name FROM pg_prepared_statements WHERE "
                                          u"statement LIKE '%code = $1%' ORDER BY prepare_time "
                                          u"DESC, name DESC LIMIT 1"_s);
            if (!name->next())
                return QString();
            const auto explain = db->prepare(u"EXPLAIN EXECUTE "_s + name->text(0) + u"('c1')"_s);
            QString plan;
            while (explain->next())
                plan += explain->text(0) + u'\n';
            return plan;
        };
        db->begin();
        lookUp();
        QVERIFY2(keptPlan().contains(u"Seq Scan"_s), qPrintable(keptPlan()));
        db->prepare(u"INSERT INTO t SELECT g, 'c' || g FROM generate_series(1, 20000) g"_s)
            ->execute();
        lookUp();
        QVERIFY2(keptPlan().contains(u"Index"_s), qPrintable(keptPlan()));
        db->commit();
    }

    // A lock held elsewhere is waited for only as long as set, and told in plain words: a row
    // another program's statement holds, or the catalogue's write turn another writer holds
    // (writers take turns, as they do on a file).
    void lockWaitIsBounded_data() {
        QTest::addColumn<bool>("holderWrites");
        // What says the wait ran out, rather than the connection failing some other way.
        QTest::addColumn<QString>("waitEnded");
        QTest::newRow("a row held by a statement") << false << u"due to lock timeout"_s;
        QTest::newRow("the write turn held by a writer")
            << true << u"for longer than the wait of 0.3 seconds"_s;
    }
    void lockWaitIsBounded() {
        QFETCH(bool, holderWrites);
        QFETCH(QString, waitEnded);
        const auto holder = connect();
        holder->prepare(u"CREATE TABLE t (k bigint PRIMARY KEY, v text)"_s)->execute();
        holder->prepare(u"INSERT INTO t (k, v) VALUES (1, 'a'), (2, 'b')"_s)->execute();
        holder->begin(holderWrites ? StorageConnection::Intent::Write
                                   : StorageConnection::Intent::Read);
        holder->prepare(u"UPDATE t SET v = 'held' WHERE k = 1"_s)->execute();
        const auto waiter = connect();
        waiter->setLockWait(300);
        QString message;
        try {
            waiter->begin();
            waiter->prepare(u"UPDATE t SET v = 'mine' WHERE k = 1"_s)->execute();
        } catch (const CatalogueFailure& failure) {
            message = failure.description();
        }
        QVERIFY2(message.startsWith(u"Another user kept the catalogue locked"_s) &&
                     message.contains(waitEnded),
                 qPrintable(message));
        if (holderWrites) {
            holder->commit();
            waiter->begin();
        }
        waiter->prepare(u"UPDATE t SET v = 'mine' WHERE k = 2"_s)->execute();
        waiter->commit();
        if (!holderWrites)
            holder->commit();
        QCOMPARE(count(*holder, u"SELECT count(*) FROM t WHERE v = 'mine'"_s), qint64(1));
    }

    // A writer that waited for its turn sees what the writer before it committed, also where
    // the database begins its transactions at a stricter level by default: with a view of the
    // catalogue from before its turn, two imports could each find a product missing and add it.
    // Its wait outlasts a statement time limit the database sets: it waits as long as the holder
    // works.
    void writerAfterItsTurnSeesTheWriterBefore() {
        const auto holder = connect();
        holder->prepare(u"CREATE TABLE t (k bigint PRIMARY KEY)"_s)->execute();
        for (const char* setting :
             {"default_transaction_isolation = 'repeatable read'", "statement_timeout = 200"})
            holder
                ->prepare(u"ALTER DATABASE "_s + m_database->name() + u" SET "_s +
                          QLatin1StringView(setting))
                ->execute();
        holder->begin();
        holder->prepare(u"INSERT INTO t (k) VALUES (1)"_s)->execute();
        QProcess waiter;
        startAgainAs(waiter, "TOVIN_PG_TURN_WAITER");
        const auto watcher = connect();
        // Committed once the server shows the waiter waiting twice the limit.
        QTRY_COMPARE_WITH_TIMEOUT(
            count(*watcher, u"SELECT count(*) FROM pg_locks AS l JOIN pg_stat_activity AS a ON "
                            u"a.pid = l.pid WHERE l.locktype = 'advisory' AND NOT l.granted AND "
                            u"a.query_start < clock_timestamp() - interval '400 ms'"_s),
            qint64(1), 30000);
        holder->commit();
        QVERIFY(waiter.waitForFinished(30000));
        QCOMPARE(waiter.readAllStandardOutput().trimmed(), QByteArray("rows seen: 1"));
    }

    // Keys come from the server: two connections writing at once never get the same one, and
    // a row written with its own key moves the counter past it.
    void keysComeFromTheServer() {
        const auto first = connect();
        first
            ->prepare(u"CREATE TABLE t (rowid bigint GENERATED BY DEFAULT AS IDENTITY "
                      u"PRIMARY KEY, v text)"_s)
            ->execute();
        const auto second = connect();
        // Writers take turns at transactions, so the second writes on its own while the
        // first's transaction, key given but not yet kept, is open.
        first->begin();
        first->prepare(u"INSERT INTO t (v) VALUES ('a')"_s)->execute();
        second->prepare(u"INSERT INTO t (v) VALUES ('b')"_s)->execute();
        const qint64 a = first->lastInsertedKey();
        const qint64 b = second->lastInsertedKey();
        first->commit();
        QVERIFY(a > 0 && b > 0);
        QVERIFY(a != b);
    }

    // Each row a write changes is told with its table and key; a statement that returns rows
    // itself keeps them.
    void writesTellTheirRows() {
        const auto db = connect();
        db->prepare(u"CREATE TABLE \"Things\" (rowid bigint GENERATED BY DEFAULT AS IDENTITY "
                    u"PRIMARY KEY, v text)"_s)
            ->execute();
        QList<QPair<QString, qint64>> told;
        db->setRowWritten([&](const char* table, qint64 key) {
            told << qMakePair(QString::fromUtf8(table), key);
        });
        db->prepare(u"INSERT INTO Things (rowid, v) VALUES (5, 'a'), (7, 'b')"_s)->execute();
        QCOMPARE(db->lastInsertedKey(), qint64(7));
        db->prepare(u"UPDATE \"Things\" SET v = 'c'"_s)->execute();
        QCOMPARE(db->rowsChanged(), qint64(2));
        db->prepare(u"DELETE FROM things WHERE rowid = 5"_s)->execute();
        QCOMPARE(db->rowsChanged(), qint64(1));
        const QList<QPair<QString, qint64>> expected{{u"things"_s, 5},
                                                     {u"things"_s, 7},
                                                     {u"things"_s, 5},
                                                     {u"things"_s, 7},
                                                     {u"things"_s, 5}};
        QCOMPARE(told, expected);
        const auto own = db->prepare(u"INSERT INTO Things (v) VALUES ('d') RETURNING v"_s);
        own->execute();
        QVERIFY(own->next());
        QCOMPARE(own->text(0), u"d"_s);
    }

    // A connection the server ends under a group of statements sent together is told in plain
    // words, no statement of the group told as refused, and the next statement works on a new
    // connection. (A statement alone meeting the loss is tried in tst_pgconnectionloss.)
    void lostConnectionIsToldAndMadeAgain() {
        const auto db = connect();
        const auto pid = db->prepare(u"SELECT pg_backend_pid()"_s);
        // Run twice, it is one the server keeps; a new connection has to make it again.
        QVERIFY(pid->next());
        pid->reset();
        QVERIFY(pid->next());
        const qint64 backend = pid->integer(0);
        pid->reset();
        // A reading transaction sends the group without moving its savepoint first, so the
        // loss is met at the statements themselves.
        db->begin(StorageConnection::Intent::Read);
        const auto killer = connect();
        const auto kill = killer->prepare(u"SELECT pg_terminate_backend(?::integer)"_s);
        kill->bind(1, backend);
        kill->execute();
        QString message;
        const auto one = db->prepare(u"SELECT 1"_s);
        std::vector<StorageConnection::GroupedRun> runs(3, {one.get(), {}, {}, {}});
        int refusals = 0;
        for (auto& run : runs)
            run.refused = [&refusals](const StatementRefused&) { ++refusals; };
        try {
            db->runTogether(runs);
        } catch (const CatalogueFailure& failure) {
            message = failure.description();
        }
        QCOMPARE(refusals, 0);
        QVERIFY2(message.startsWith(u"The connection to the catalogue server"_s),
                 qPrintable(message));
        QVERIFY(message.contains(u"was lost"_s));
        QVERIFY(!db->inTransaction());
        QVERIFY(pid->next());
        QVERIFY(pid->integer(0) != backend);
    }

    // What another program writes is told to this one's views once it is committed, with the
    // table and keys; a rolled-back write is never told, nor this program's own writes twice.
    void otherProgramsWritesAreTold() {
        const auto db = connect();
        db->prepare(u"CREATE TABLE t (rowid bigint PRIMARY KEY)"_s)->execute();
        const auto second = connect();
        QSignalSpy told(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged);
        db->begin();
        db->prepare(u"INSERT INTO t (rowid) VALUES (1)"_s)->execute();
        db->rollback();
        db->prepare(u"INSERT INTO t (rowid) VALUES (2)"_s)->execute();
        QProcess writer;
        startAgainAs(writer, "TOVIN_PG_WRITER");
        QVERIFY(writer.waitForFinished(30000));
        QCOMPARE(writer.exitCode(), 0);
        QTRY_COMPARE(told.size(), qsizetype(2));
        // Nothing more comes, though two connections here listen. The server sends a
        // connection the notices of writes committed before a statement ahead of that
        // statement's answer, and the connection takes them in with the answer: once each has
        // run one and the deliveries it queued have run, every notice here has been told.
        QCOMPARE(count(*db, u"SELECT 1"_s), qint64(1));
        QCOMPARE(count(*second, u"SELECT 1"_s), qint64(1));
        runQueuedEvents();
        QCOMPARE(told.size(), qsizetype(2));
        QCOMPARE(told.at(0).at(0).toString(),
                 CatalogueLocation::withoutPassword(m_database->uri()));
        QCOMPARE(told.at(0).at(1).toString(), u"t"_s);
        QCOMPARE(told.at(0).at(2).value<QList<qint64>>(), QList<qint64>({11, 12}));
        QCOMPARE(told.at(1).at(2).value<QList<qint64>>(), QList<qint64>({11}));
    }

    void noticesSplitLargeWrites() {
        qint64 serial = 0;
        QList<qint64> rows;
        for (qint64 key = 1; key <= 3000; ++key)
            rows << key * 1000000;
        const QList<QByteArray> payloads =
            PostgresNotices::payloads(u"me/1"_s, serial, u"Products"_s, rows);
        QVERIFY(payloads.size() > 1);
        QList<qint64> back;
        for (const QByteArray& payload : payloads) {
            QVERIFY(payload.size() < 8000);
            PostgresNotices::Notice notice;
            QVERIFY(PostgresNotices::read(payload, notice));
            QCOMPARE(notice.table, u"Products"_s);
            back << notice.rows;
        }
        QCOMPARE(back, rows);
        QCOMPARE(serial, qint64(payloads.size()));
    }

    void refusedConnectionIsPlain() {
        QString message;
        try {
            PostgresConnection::open(u"postgresql://nobody:secret@/nowhere?host=/nonexistent"_s);
        } catch (const CatalogueFailure& failure) {
            message = failure.description();
        }
        QVERIFY2(message.startsWith(u"Could not connect to the catalogue server"_s),
                 qPrintable(message));
        QVERIFY(!message.contains(u"secret"_s));
    }
};

// Run with TOVIN_PG_WRITER set to a URI, the test program is the other computer: it writes
// two rows of table t there in one transaction and one more on its own, and ends.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (const QString uri = qEnvironmentVariable("TOVIN_PG_WRITER"); !uri.isEmpty()) {
        const auto db = PostgresConnection::open(uri);
        db->begin();
        db->prepare(u"INSERT INTO t (rowid) VALUES (11), (12)"_s)->execute();
        db->commit();
        db->prepare(u"DELETE FROM t WHERE rowid = 11"_s)->execute();
        return 0;
    }
    if (const QString uri = qEnvironmentVariable("TOVIN_PG_TURN_WAITER"); !uri.isEmpty()) {
        const auto db = PostgresConnection::open(uri);
        db->begin();
        QTextStream(stdout) << "rows seen: " << count(*db, u"SELECT count(*) FROM t"_s) << '\n';
        db->commit();
        return 0;
    }
    PgConnectionTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_pgconnection.moc"
