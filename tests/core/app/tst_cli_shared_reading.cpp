// Reading a catalogue on a server while another computer writes it, copying it out with a user
// that may only read, and copies that are cut off part way: the real program, as a shop's
// computers run it.
#include "../share/ShareTestShop.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RowWriter.h"
#include "core/storage/PostgresConnection.h"
#include "support/core/CliRun.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <memory>
#include <pwd.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

// A statement run by a connection of the test's own, and the first value it gives.
QVariant ask(PostgresConnection& connection, const QString& sql) {
    const auto q = connection.prepare(sql);
    return q->next() ? q->value(0) : QVariant();
}

// The same address with another user in it.
QString asUser(const QString& uri, const QString& user) {
    const qsizetype start = uri.indexOf(u"//"_s) + 2;
    const qsizetype at = uri.indexOf(u'@', start);
    return uri.left(start) + user + uri.mid(at);
}

// What the database holds that a catalogue would have made: tables, sequences, types.
qint64 objectsIn(const QString& uri) {
    const auto connection = PostgresConnection::open(uri);
    return ask(*connection, u"SELECT (SELECT count(*) FROM pg_class c JOIN pg_namespace n ON "
                            u"n.oid = c.relnamespace WHERE n.nspname = 'public') + (SELECT "
                            u"count(*) FROM pg_type t JOIN pg_namespace n ON n.oid = "
                            u"t.typnamespace WHERE n.nspname = 'public' AND t.typtype = 'd')"_s)
        .toLongLong();
}

// Runs a program to its end; true when it ended well.
bool succeeds(const QString& program, const QStringList& arguments, QString* out = nullptr) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(180000))
        process.kill();
    if (out)
        *out = QString::fromUtf8(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A price list of `items` products as the import reads it.
QString writeList(const QString& path, int items) {
    QByteArray text;
    for (int i = 0; i < items; ++i)
        text += u"L%1,Listed item number %1 with a name of some length,%2.25\r\n"_s.arg(i)
                    .arg(i % 90 + 1)
                    .toUtf8();
    test::writeTestFile(path, text);
    return path;
}

} // namespace

class CliSharedReadingTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<test::ServerDatabase> m_server;

    QString catalogue(const QString& engine) const {
        return engine == u"server"_s ? m_server->uri() : m_file;
    }

    // Waits until a connection to the database `name` waits for a lock, or the program ends.
    static bool waitForLockWait(PostgresConnection& admin, const QString& name, QProcess& program) {
        const QString waiting = u"SELECT count(*) FROM pg_stat_activity WHERE datname = '"_s +
                                name + u"' AND wait_event_type = 'Lock'"_s;
        while (program.state() != QProcess::NotRunning) {
            if (ask(admin, waiting).toLongLong() > 0)
                return true;
            program.waitForFinished(20);
        }
        return false;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        if (test::clusterUri().isEmpty())
            QSKIP("no PostgreSQL cluster was started for this run");
        m_file = m_dir.filePath(u"demo.mde"_s);
        QCOMPARE(test::runProgram({u"create"_s, u"--demo"_s, m_file}).status, 0);
        m_server = std::make_unique<test::ServerDatabase>();
        QCOMPARE(test::runProgram({u"create"_s, u"--demo"_s, m_server->uri()}).status, 0);
    }

    // Another program holds the writers' turn, a row written and not yet saved (a bulk edit in
    // progress): every command that only reads goes on at once and sees the catalogue as it was
    // saved.
    void readersGoOnWhileAWriterHoldsItsTurn_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("written");
        const QList<std::pair<const char*, QString>> commands{
            {"report", u"report retail --db @cat --pdf @dir/retail.pdf"_s},
            {"export", u"export --db @cat --out @dir/out.txt --columns 2,3,12"_s},
            {"history", u"history --db @cat"_s},
            {"reorder", u"reorder --db @cat"_s},
            {"pages", u"pages --db @cat --from 1 --to 2 --out @dir/pages"_s},
            {"share --from", u"share --from @cat --to @dir/copy.mde"_s}};
        for (const QString& engine : {u"file"_s, u"server"_s})
            for (const auto& [name, line] : commands)
                QTest::addRow("%s on a %s", name, qPrintable(engine))
                    << engine << line
                    << (line.contains(u"@dir/"_s)
                            ? line.mid(line.indexOf(u"@dir/"_s) + 5).section(u' ', 0, 0)
                            : QString());
    }
    void readersGoOnWhileAWriterHoldsItsTurn() {
        QFETCH(QString, engine);
        QFETCH(QString, line);
        QFETCH(QString, written);
        const QString location = catalogue(engine);
        const QString output = written.isEmpty() ? QString() : m_dir.filePath(written);
        if (written == u"pages"_s) {
            QVERIFY(QDir(output).removeRecursively() && QDir().mkpath(output));
        } else if (!written.isEmpty()) {
            QFile::remove(output);
        }

        CatalogueDatabase writer(location);
        ScopedTransaction held(writer);
        RowWriter::insert(writer, u"Products"_s,
                          {{PC::StockNo, u"UNSAVED-1"_s}, {PC::ProdName, u"Not saved yet"_s}});
        const test::CliRun run = test::runProgram(
            test::argumentLine(line, {{u"@cat"_s, location}, {u"@dir"_s, m_dir.path()}}));
        QVERIFY2(run.status == 0, qPrintable(run.err));
        if (!written.isEmpty())
            QVERIFY2(QFileInfo::exists(output), qPrintable(output));
        if (written == u"out.txt"_s) {
            const QByteArray text = test::fileBytes(output);
            QVERIFY(text.contains("GD-605"));
            QVERIFY(!text.contains("UNSAVED-1"));
        }
        if (written == u"copy.mde"_s)
            QCOMPARE(test::productCount(output), test::productCount(m_file));
    }

    // A user granted only reading the tables copies the catalogue out whole; the record
    // numbers the server gave out last are a right of their own, and without it the copy says
    // it numbers new records on from the last one it holds.
    void copiedOutByAUserWhoMayOnlyRead_data() {
        QTest::addColumn<QString>("grants");
        QTest::addColumn<bool>("toldOfNumbers");
        QTest::newRow("the tables")
            << u"GRANT SELECT ON ALL TABLES IN SCHEMA public TO @r"_s << true;
        QTest::newRow("the tables and the sequences")
            << u"GRANT SELECT ON ALL TABLES IN SCHEMA public TO @r; GRANT USAGE ON ALL "
               u"SEQUENCES IN SCHEMA public TO @r"_s
            << false;
    }
    void copiedOutByAUserWhoMayOnlyRead() {
        QFETCH(QString, grants);
        QFETCH(bool, toldOfNumbers);
        const QString role = u"reader_"_s + QUuid::createUuid().toString(QUuid::Id128).left(12);
        test::ServerDatabase server;
        QCOMPARE(test::runProgram({u"create"_s, u"--demo"_s, server.uri()}).status, 0);
        const auto admin = PostgresConnection::open(server.uri());
        admin->prepare(u"CREATE ROLE "_s + role + u" LOGIN"_s)->execute();
        for (const QString& grant : grants.split(u"; "_s))
            admin->prepare(QString(grant).replace(u"@r"_s, role))->execute();
        const QString copy = m_dir.filePath(u"read-out.mde"_s);
        const QString byOwner = m_dir.filePath(u"owner-out.mde"_s);
        QFile::remove(copy);
        QFile::remove(byOwner);

        const test::CliRun run = test::runProgram(
            {u"share"_s, u"--from"_s, asUser(server.uri(), role), u"--to"_s, copy});
        // The role goes before its database can; its rights in the database go first.
        admin->prepare(u"DROP OWNED BY "_s + role)->execute();
        admin->prepare(u"DROP ROLE "_s + role)->execute();
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(run.out.contains(u"did not let this user read the last record numbers"_s),
                 toldOfNumbers);
        QCOMPARE(
            test::runProgram({u"share"_s, u"--from"_s, server.uri(), u"--to"_s, byOwner}).status,
            0);
        CatalogueDatabase read(copy);
        CatalogueDatabase owned(byOwner);
        const QMap<QString, test::Rows> copied = test::everyTable(read);
        QCOMPARE(copied.value(u"Products"_s).size(), test::productCount(server.uri()));
        QVERIFY(copied == test::everyTable(owned));
    }

    // The copy is cut off while it waits part way, the rows of the products written: the
    // program says so, the target is as it was (a server database holds nothing, a file is not
    // there, nor a part of it), and the next copy goes through.
    void copyCutOffLeavesTheTargetAsItWas_data() {
        QTest::addColumn<bool>("toServer");
        QTest::newRow("to a new server database") << true;
        QTest::newRow("to a new file") << false;
    }
    void copyCutOffLeavesTheTargetAsItWas() {
        QFETCH(bool, toServer);
        test::ServerDatabase source;
        QCOMPARE(test::runProgram({u"create"_s, u"--demo"_s, source.uri()}).status, 0);
        test::ServerDatabase targetDatabase;
        const QString folder = m_dir.filePath(u"cut"_s);
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        const QString target =
            toServer ? targetDatabase.uri() : QDir(folder).filePath(u"copy.mde"_s);

        // The copy reads where the products' numbers stopped once their rows are written; a
        // change of that sequence, not yet saved, keeps it waiting there.
        const auto holder = PostgresConnection::open(source.uri());
        holder->begin(StorageConnection::Intent::Read);
        holder->prepare(u"ALTER SEQUENCE products_pid_seq CACHE 1"_s)->execute();
        const auto admin = PostgresConnection::open(test::clusterUri());

        QProcess copying;
        copying.start(QStringLiteral(TOVIN_APP_BINARY),
                      {u"share"_s, u"--from"_s, source.uri(), u"--to"_s, target});
        const bool waited = waitForLockWait(*admin, source.name(), copying);
        // The server ends the copy's connection to the target, or, copying into a file, the
        // one it reads through.
        ask(*admin, u"SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE "
                    u"datname = '"_s +
                        (toServer ? targetDatabase.name() : source.name()) +
                        u"' AND pid <> pg_backend_pid()"_s +
                        (toServer ? QString() : u" AND wait_event_type = 'Lock'"_s));
        holder->rollback();
        QVERIFY(copying.waitForFinished(120000));
        const QString err = QString::fromUtf8(copying.readAllStandardError());
        QVERIFY2(waited, qPrintable(err));
        QCOMPARE(copying.exitCode(), 2);
        QVERIFY2(err.contains(u"could not be copied"_s) && err.contains(u"was left as it was"_s),
                 qPrintable(err));
        if (toServer)
            QCOMPARE(objectsIn(target), 0);
        else
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());

        const test::CliRun again =
            test::runProgram({u"share"_s, u"--from"_s, source.uri(), u"--to"_s, target});
        QVERIFY2(again.status == 0, qPrintable(again.err));
        QCOMPARE(test::productCount(target), test::productCount(source.uri()));
    }

    // Two computers copy their catalogues onto the same new database at once: the second waits
    // for the first, which lands whole, and is then told the database holds a catalogue.
    void twoCopiesOntoOneNewDatabase() {
        test::ServerDatabase source;
        QCOMPARE(test::runProgram({u"create"_s, u"--demo"_s, source.uri()}).status, 0);
        test::ServerDatabase target;
        const auto holder = PostgresConnection::open(source.uri());
        holder->begin(StorageConnection::Intent::Read);
        holder->prepare(u"ALTER SEQUENCE products_pid_seq CACHE 1"_s)->execute();
        const auto admin = PostgresConnection::open(test::clusterUri());

        QProcess first;
        first.start(QStringLiteral(TOVIN_APP_BINARY),
                    {u"share"_s, u"--from"_s, source.uri(), u"--to"_s, target.uri()});
        const bool firstWaited = waitForLockWait(*admin, source.name(), first);
        QProcess second;
        second.start(QStringLiteral(TOVIN_APP_BINARY),
                     {u"share"_s, u"--db"_s, m_file, u"--to"_s, target.uri()});
        const bool secondWaited = waitForLockWait(*admin, target.name(), second);
        holder->rollback();
        QVERIFY(first.waitForFinished(120000) && second.waitForFinished(120000));
        QVERIFY(firstWaited && secondWaited);
        QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
        QCOMPARE(second.exitCode(), 2);
        const QString err = QString::fromUtf8(second.readAllStandardError());
        QVERIFY2(err.contains(u"already holds a catalogue"_s), qPrintable(err));
        QCOMPARE(test::productCount(target.uri()), test::productCount(source.uri()));
    }

    // The server's disk fills while the rows are written: the program says so, the database
    // holds nothing the copy made, and once there is room the copy goes through. The disk is a
    // small memory disk under the tables of a server of the test's own.
    void copyOntoAFullDiskLeavesTheDatabaseAsItWas() {
        const passwd* owner = getpwnam("postgres");
        if (geteuid() != 0 || !owner)
            QSKIP("a small disk of its own is mounted only by root, for the postgres user");
        const QString script = QStringLiteral(TOVIN_TEST_SOURCE_DIR "/../scripts/pg-cluster.sh");
        QString started;
        QVERIFY(succeeds(u"bash"_s, {script, u"start"_s}, &started));
        const QStringList lines = started.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 2);
        const QString folder = lines.at(0).trimmed();
        QTemporaryDir disk(u"/tmp/tovin-disk-XXXXXX"_s);
        bool mounted = false;
        const auto cleanUp = qScopeGuard([&] {
            succeeds(u"bash"_s, {script, u"stop"_s, folder});
            if (mounted)
                succeeds(u"umount"_s, {disk.path()});
        });
        mounted = succeeds(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s,
                                        u"size=1m,mode=0700,uid=%1"_s.arg(owner->pw_uid),
                                        u"tmpfs"_s, disk.path()});
        if (!mounted)
            QSKIP("no memory disk could be mounted here");
        const QString cluster = lines.at(1).trimmed();
        const auto admin = PostgresConnection::open(cluster);
        admin->prepare(u"CREATE TABLESPACE small LOCATION '"_s + disk.path() + u"'"_s)->execute();
        admin->prepare(u"CREATE DATABASE f5"_s)->execute();
        admin->prepare(u"ALTER DATABASE f5 SET default_tablespace = small"_s)->execute();
        const QString target = QString(cluster).replace(u"/tovin?"_s, u"/f5?"_s);

        const QString source = m_dir.filePath(u"large.mde"_s);
        QFile::remove(source);
        QCOMPARE(test::runProgram({u"create"_s, source}).status, 0);
        const QString list = writeList(m_dir.filePath(u"large.csv"_s), 20000);
        QCOMPARE(test::runProgram(
                     test::argumentLine(u"import --db @db --source @list --divider comma --map "
                                        u"0=2,1=3,2=12"_s,
                                        {{u"@db"_s, source}, {u"@list"_s, list}}))
                     .status,
                 0);

        const test::CliRun full =
            test::runProgram({u"share"_s, u"--db"_s, source, u"--to"_s, target});
        QCOMPARE(full.status, 2);
        QVERIFY2(full.err.contains(u"disk"_s) && full.err.contains(u"was left as it was"_s),
                 qPrintable(full.err));
        QCOMPARE(objectsIn(target), 0);

        admin->prepare(u"ALTER DATABASE f5 RESET default_tablespace"_s)->execute();
        const test::CliRun roomy =
            test::runProgram({u"share"_s, u"--db"_s, source, u"--to"_s, target});
        QVERIFY2(roomy.status == 0, qPrintable(roomy.err));
        QCOMPARE(test::productCount(target), 20000);
    }
};

QTEST_GUILESS_MAIN(CliSharedReadingTest)
#include "tst_cli_shared_reading.moc"
