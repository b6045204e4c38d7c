// Writers on one catalogue at once, on a file and on a server: each waits for its turn while
// another writes, as long as the holder lives, and gives up only after its --wait.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/WriterTurn.h"
#include "support/core/CliRun.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class CliSharedWritersTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<test::ServerDatabase>> m_databases;
    int m_catalogues = 0;
    static inline const QString Waiting = u"the catalogue is being written by another program"_s;

    // A new, empty catalogue: a file in the test's folder or a database of its own on the
    // cluster.
    QString newCatalogue(bool server) {
        QString location = m_dir.filePath(u"shop%1.mde"_s.arg(++m_catalogues));
        if (server) {
            m_databases.push_back(std::make_unique<test::ServerDatabase>());
            location = m_databases.back()->uri();
        }
        CatalogueDatabase::create(location);
        return location;
    }
    static void needServer(bool server) {
        if (server && test::clusterUri().isEmpty())
            QSKIP("no PostgreSQL cluster was started for this run");
    }
    // A price list of `items` new products "<prefix>000000", ... at prices below 97.
    QString writeList(const QString& prefix, int items) const {
        QByteArray text;
        for (int i = 0; i < items; ++i)
            text += u"%1%2,Item %3,%4.50\r\n"_s.arg(prefix)
                        .arg(i, 6, 10, QChar(u'0'))
                        .arg(i)
                        .arg(i % 97)
                        .toUtf8();
        const QString path = m_dir.filePath(prefix + u".csv"_s);
        test::writeTestFile(path, text);
        return path;
    }
    static QStringList importArguments(const QString& catalogue, const QString& list,
                                       const QString& more = QString()) {
        return test::argumentLine(
            u"import --db @db --source @list --divider comma --map 0=2,1=3,2=12"_s + more,
            {{u"@db"_s, catalogue}, {u"@list"_s, list}});
    }
    static void start(QProcess& process, const QStringList& arguments) {
        process.start(QStringLiteral(TOVIN_APP_BINARY), arguments);
        QVERIFY(process.waitForStarted());
    }
    // Reads the process's error output until it holds `text` or the process ends; everything
    // read is kept in `err`.
    static bool waitForError(QProcess& process, const QString& text, QString& err) {
        while (!err.contains(text)) {
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(200);
            err += QString::fromUtf8(process.readAllStandardError());
        }
        return true;
    }
    // The run's exit status once it ended (-1 when it crashed or never ended), with its error
    // output added to `err`.
    static int finish(QProcess& process, QString& err) {
        if (!process.waitForFinished(180000))
            process.kill();
        err += QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    // Another program holding the catalogue's write lock from its own process: the database's
    // own shell on a file, psql holding the write turn's advisory lock on a server.
    static void startHolder(QProcess& holder, const QString& catalogue, bool server) {
        if (server) {
            const QStringList psql =
                QDir(u"/usr/lib/postgresql"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            QVERIFY(!psql.isEmpty());
            holder.start(u"/usr/lib/postgresql/"_s + psql.last() + u"/bin/psql"_s,
                         {u"-X"_s, u"-A"_s, u"-t"_s, catalogue});
            holder.write("SELECT pg_advisory_lock(7468696);\nSELECT 'held';\n");
        } else {
            holder.start(u"sqlite3"_s, {catalogue});
            holder.write("BEGIN IMMEDIATE;\nSELECT 'held';\n");
        }
        QVERIFY(holder.waitForStarted());
        QByteArray said;
        while (!said.contains("held") && holder.waitForReadyRead(30000))
            said += holder.readAllStandardOutput();
        QVERIFY2(said.contains("held"), holder.readAllStandardError().constData());
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { m_databases.clear(); }

    void engines_data() {
        QTest::addColumn<bool>("server");
        QTest::newRow("file") << false;
        QTest::newRow("server") << true;
    }

    // Two large imports and a bulk edit over the products already there, started together
    // while another writer (a long save of the window, say) holds the catalogue for longer
    // than writers used to wait: they tell that they wait, and for how long at most, then take
    // turns, all end well, and the catalogue holds all three's work.
    void writersStartedTogetherAllFinish_data() { engines_data(); }
    void writersStartedTogetherAllFinish() {
        QFETCH(bool, server);
        needServer(server);
        constexpr int Items = 20000;
        constexpr int Edited = 5000;
        const QString catalogue = newCatalogue(server);
        const test::CliRun seeded =
            test::runProgram(importArguments(catalogue, writeList(u"D"_s, Edited)));
        QVERIFY2(seeded.status == 0, qPrintable(seeded.err));
        const QString first = writeList(u"A"_s, Items);
        const QString second = writeList(u"B"_s, Items);

        CatalogueDatabase holder(catalogue);
        std::optional<ScopedTransaction> held(std::in_place, holder);
        QProcess importA;
        QProcess importB;
        QProcess edit;
        start(importA, importArguments(catalogue, first));
        start(importB, importArguments(catalogue, second));
        QString errA;
        QVERIFY2(waitForError(importA, u"up to 300 seconds"_s, errA), qPrintable(errA));
        start(edit, test::argumentLine(u"bulk-edit --db @db --where StockNo~like~'D*' "
                                       u"--set Retail=10% --set Notes=bulk"_s,
                                       {{u"@db"_s, catalogue}}));
        QString errEdit;
        QVERIFY2(waitForError(edit, Waiting, errEdit), qPrintable(errEdit));
        QTest::qWait(8000);
        held->commit();
        held.reset();
        QString errB;
        QVERIFY2(finish(importA, errA) == 0, qPrintable(errA));
        QVERIFY2(finish(importB, errB) == 0, qPrintable(errB));
        QVERIFY2(finish(edit, errEdit) == 0, qPrintable(errEdit));

        // (A server's case-blind texts take no LIKE.)
        QCOMPARE(test::productCount(catalogue, u"substr(StockNo, 1, 1) = 'A'"_s), qint64(Items));
        QCOMPARE(test::productCount(catalogue, u"substr(StockNo, 1, 1) = 'B'"_s), qint64(Items));
        QCOMPARE(test::productCount(catalogue, u"substr(StockNo, 1, 1) = 'D' AND "
                                               u"substr(Notes, length(Notes) - 3) = 'bulk'"_s),
                 qint64(Edited));
        // Money is kept in ten-thousandths: 10.50 raised by 10 % is 11.55.
        QCOMPARE(test::productValue(catalogue, u"Retail"_s, u"D000010"_s), u"115500"_s);
        QCOMPARE(test::productValue(catalogue, u"Retail"_s, u"A000010"_s), u"105000"_s);
        // Each new product got a key of its own, and the file stayed whole.
        QCOMPARE(test::productCount(catalogue, u"PID IN (SELECT PID FROM Products GROUP BY PID "
                                               u"HAVING count(*) > 1)"_s),
                 qint64(0));
        if (!server)
            QCOMPARE(CatalogueDatabase(catalogue).scalar(u"PRAGMA integrity_check"_s).toString(),
                     u"ok"_s);
    }

    // Another program holds the write lock: the import tells it waits, with its limit, and
    // goes on once the holder is gone (one that commits is waited for above); with a shorter
    // --wait than the holder takes it stops in plain words and writes nothing.
    void importWaitsForTheHolder_data() {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("holderEnds"); // "killed", "never"
        QTest::addColumn<QString>("wait");
        QTest::addColumn<QString>("told");
        for (const bool server : {false, true}) {
            const char* engine = server ? "server: " : "file: ";
            QTest::addRow("%sholder killed", engine)
                << server << u"killed"_s << u" --wait 600"_s << u"up to 600 seconds"_s;
            QTest::addRow("%s--wait 2 runs out", engine)
                << server << u"never"_s << u" --wait 2"_s << u"up to 2 seconds"_s;
            QTest::addRow("%s--wait 0 does not wait", engine)
                << server << u"never"_s << u" --wait=0"_s << QString();
        }
    }
    void importWaitsForTheHolder() {
        QFETCH(bool, server);
        QFETCH(QString, holderEnds);
        QFETCH(QString, wait);
        QFETCH(QString, told);
        needServer(server);
        const QString catalogue = newCatalogue(server);
        const QString list = writeList(u"W"_s, 300);
        const QString before = test::catalogueSnapshot(catalogue);
        // A holder killed is another process; one that never ends is a connection of this test.
        QProcess killed;
        std::unique_ptr<CatalogueDatabase> holder;
        std::unique_ptr<ScopedTransaction> held;
        if (holderEnds == u"killed"_s) {
            startHolder(killed, catalogue, server);
        } else {
            holder = std::make_unique<CatalogueDatabase>(catalogue);
            held = std::make_unique<ScopedTransaction>(*holder);
        }
        QProcess import;
        start(import, importArguments(catalogue, list, wait));
        QString err;
        if (!told.isEmpty())
            QVERIFY2(waitForError(import, told, err), qPrintable(err));
        if (holderEnds == u"killed"_s) {
            killed.kill();
            killed.waitForFinished();
        }
        const int status = finish(import, err);
        held.reset();
        holder.reset();
        if (holderEnds == u"never"_s) {
            QVERIFY2(status == 2, qPrintable(err));
            QVERIFY2(err.contains(u"Another user kept the catalogue locked"_s), qPrintable(err));
            QVERIFY2(err.contains(told.isEmpty() ? u"no wait"_s : u"wait of 2 seconds"_s),
                     qPrintable(err));
            QCOMPARE(err.contains(Waiting), !told.isEmpty());
            QCOMPARE(test::productCount(catalogue), qint64(0));
            QCOMPARE(test::catalogueSnapshot(catalogue), before);
        } else {
            QVERIFY2(status == 0, qPrintable(err));
            QCOMPARE(err.count(Waiting), 1);
            QCOMPARE(test::productCount(catalogue), qint64(300));
        }
    }

    // The user's Cancel (the busy screen's) ends a wait for another writer at once, whatever
    // is left of the limit: the write ends as cancelled and nothing of it is kept.
    void cancelEndsTheWait_data() { engines_data(); }
    void cancelEndsTheWait() {
        QFETCH(bool, server);
        needServer(server);
        const QString catalogue = newCatalogue(server);
        CatalogueDatabase holder(catalogue);
        std::optional<ScopedTransaction> held(std::in_place, holder);
        std::atomic<bool> waiting = false;
        WriterTurn::setWatcher([&](int) { waiting = true; });
        std::atomic<bool> done = false;
        QString message;
        std::thread writer([&] {
            try {
                CatalogueDatabase db(catalogue);
                ScopedTransaction transaction(db);
                db.run(u"INSERT INTO Products (PID, StockNo) VALUES (1, 'C1')"_s);
                transaction.commit();
            } catch (const CatalogueFailure& failure) {
                message = failure.description();
            }
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(waiting, 60000);
        WriterTurn::cancelWaits();
        QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
        writer.join();
        WriterTurn::setWatcher({});
        QCOMPARE(message, WriterTurn::cancelledText());
        held->commit();
        held.reset();
        QCOMPARE(test::productCount(catalogue), qint64(0));
    }

    // A wait that is no number of seconds, 0 or more, is refused before anything is written,
    // by every command that writes.
    void badWaitRefused_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("wait");
        const QString commands[] = {
            u"import --db @db --source @list --divider comma --map 0=2,1=3"_s,
            u"bulk-edit --db @db --set Retail=10%"_s, u"undo --db @db --run 1"_s,
            u"share --db @db --to @dir/copy.mde"_s};
        const QString waits[] = {u"--wait=-1"_s, u"--wait=abc"_s, u"--wait="_s,
                                 u"--wait=5s"_s, u"--wait=inf"_s, u"--wait=100000"_s};
        for (const QString& command : commands)
            for (const QString& wait : waits)
                QTest::addRow("%s %s", qPrintable(command.section(u' ', 0, 0)), qPrintable(wait))
                    << command << wait;
        QTest::newRow("import --wait -1") << commands[0] << u"--wait -1"_s;
        QTest::newRow("undo --wait x") << commands[2] << u"--wait x"_s;
    }
    void badWaitRefused() {
        QFETCH(QString, command);
        QFETCH(QString, wait);
        const QString catalogue = newCatalogue(false);
        const QString list = writeList(u"R"_s, 3);
        const QString before = test::catalogueSnapshot(catalogue);
        const test::CliRun run = test::runProgram(test::argumentLine(
            command + u' ' + wait,
            {{u"@db"_s, catalogue}, {u"@list"_s, list}, {u"@dir"_s, m_dir.path()}}));
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(u"--wait takes a number of seconds"_s), qPrintable(run.err));
        QCOMPARE(run.err.count(u'\n'), 1);
        QCOMPARE(test::catalogueSnapshot(catalogue), before);
        QVERIFY(!QFileInfo::exists(m_dir.filePath(u"copy.mde"_s)));
    }
};

QTEST_GUILESS_MAIN(CliSharedWritersTest)
#include "tst_cli_shared_writers.moc"
