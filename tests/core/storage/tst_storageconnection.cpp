#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/ServerSets.h"
#include "core/storage/CatalogueChanges.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/PostgresDialect.h"
#include "core/storage/SqliteConnection.h"
#include "support/core/TestServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <limits>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

enum class Binder { Integer, Double, Text, Blob, Null, Variant };

void bindAs(StorageStatement& statement, Binder binder, const QVariant& value) {
    switch (binder) {
    case Binder::Integer:
        return statement.bind(1, value.toLongLong());
    case Binder::Double:
        return statement.bindDouble(1, value.toDouble());
    case Binder::Text:
        return statement.bindText(1, value.toString());
    case Binder::Blob:
        return statement.bindBlob(1, value.toByteArray());
    case Binder::Null:
        return statement.bindNull(1);
    case Binder::Variant:
        return statement.bind(1, value);
    }
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

class StorageConnectionTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;
    std::vector<std::unique_ptr<test::ServerDatabase>> m_databases;

    // A connection to an empty store of the engine under test, with one table t.
    std::unique_ptr<StorageConnection> scratch() {
        if (test::onServer()) {
            m_databases.push_back(std::make_unique<test::ServerDatabase>());
            auto connection = PostgresConnection::open(m_databases.back()->uri());
            connection->prepare(u"CREATE TABLE t (rowid bigint, v text)"_s)->execute();
            // The catalogue's case-blind order, which the dialect names.
            connection
                ->prepare(CatalogueSchema::serverCreateStatements(connection->dialect()).first())
                ->execute();
            return connection;
        }
        QString failure;
        auto connection = SqliteConnection::open(m_dir.filePath(u"s%1.db"_s.arg(++m_files)),
                                                 SqliteConnection::OpenMode::ReadWrite, failure);
        if (connection)
            connection->prepare(u"CREATE TABLE t (v)"_s)->next();
        return connection;
    }

    QString newCatalogue() {
        QString path = m_dir.filePath(u"c%1.mde"_s.arg(++m_files));
        if (test::onServer()) {
            m_databases.push_back(std::make_unique<test::ServerDatabase>());
            path = m_databases.back()->uri();
        }
        CatalogueDatabase::create(path);
        return path;
    }

    static const StorageDialect& dialect() {
        static const SqliteDialect file;
        static const PostgresDialect server;
        return test::onServer() ? static_cast<const StorageDialect&>(server) : file;
    }

private slots:
    void cleanup() { m_databases.clear(); }

    // Each value comes back as it was bound, bit for bit, in a column of the kind the server
    // keeps it in (a file's columns take any value); on a server whose database gives blobs
    // out in the escape form, floating numbers in 15 digits and a NULL in an array as a text by
    // default, too.
    void valuesComeBackExactly_data() {
        QTest::addColumn<Binder>("binder");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("storedAs"); // in a file; empty: a file keeps no such value
        QTest::addColumn<QString>("serverType");
        using limits = std::numeric_limits<double>;
        const qint64 largest = std::numeric_limits<qint64>::max();
        const qint64 smallest = std::numeric_limits<qint64>::min();
        const QString unicode = u"Größe – 价格 🛒"_s;
        const QByteArray bytes("\0\x01\xff\0", 4);
        const QString bigint = u"bigint"_s, real = u"double precision"_s, text = u"text"_s,
                      bytea = u"bytea"_s;
        QTest::newRow("largest integer")
            << Binder::Integer << QVariant(largest) << u"integer"_s << bigint;
        QTest::newRow("smallest integer")
            << Binder::Integer << QVariant(smallest) << u"integer"_s << bigint;
        QTest::newRow("double bit for bit")
            << Binder::Double << QVariant(0.1 + 0.2) << u"real"_s << real;
        QTest::newRow("smallest double")
            << Binder::Double << QVariant(limits::denorm_min()) << u"real"_s << real;
        QTest::newRow("largest double")
            << Binder::Variant << QVariant(limits::max()) << u"real"_s << real;
        QTest::newRow("negative nought") << Binder::Variant << QVariant(-0.0) << u"real"_s << real;
        QTest::newRow("infinity") << Binder::Variant << QVariant(limits::infinity()) << u"real"_s
                                  << real;
        QTest::newRow("minus infinity")
            << Binder::Variant << QVariant(-limits::infinity()) << u"real"_s << real;
        QTest::newRow("not a number")
            << Binder::Variant << QVariant(limits::quiet_NaN()) << QString() << real;
        QTest::newRow("unicode text") << Binder::Text << QVariant(unicode) << u"text"_s << text;
        QTest::newRow("empty text is no null")
            << Binder::Text << QVariant(u""_s) << u"text"_s << text;
        QTest::newRow("null") << Binder::Null << QVariant() << u"null"_s << text;
        QTest::newRow("blob with nought bytes")
            << Binder::Blob << QVariant(bytes) << u"blob"_s << bytea;
        QTest::newRow("empty blob")
            << Binder::Blob << QVariant(QByteArray("")) << u"blob"_s << bytea;
        // Read as they are, these bytes must not be taken for the server's text form of "AB".
        QTest::newRow("blob spelled like a blob's text")
            << Binder::Blob << QVariant(QByteArray("\\x4142")) << u"blob"_s << bytea;
        QTest::newRow("date as ISO text")
            << Binder::Variant << QVariant(u"2024-02-29"_s) << u"text"_s << u"date"_s;
        QTest::newRow("yes as a number")
            << Binder::Variant << QVariant(qlonglong(1)) << u"integer"_s << u"smallint"_s;
        QTest::newRow("variant integer")
            << Binder::Variant << QVariant(smallest) << u"integer"_s << bigint;
        QTest::newRow("variant double")
            << Binder::Variant << QVariant(1.0 / 3) << u"real"_s << real;
        QTest::newRow("variant text") << Binder::Variant << QVariant(unicode) << u"text"_s << text;
        QTest::newRow("variant blob") << Binder::Variant << QVariant(bytes) << u"blob"_s << bytea;
        QTest::newRow("variant null") << Binder::Variant << QVariant() << u"null"_s << text;
    }
    void valuesComeBackExactly() {
        QFETCH(Binder, binder);
        QFETCH(QVariant, value);
        QFETCH(QString, storedAs);
        QFETCH(QString, serverType);
        if (storedAs.isEmpty() && !test::onServer())
            QSKIP("a file keeps no such value");
        std::unique_ptr<StorageConnection> db;
        if (test::onServer()) {
            m_databases.push_back(std::make_unique<test::ServerDatabase>());
            const test::ServerDatabase& server = *m_databases.back();
            db = PostgresConnection::open(server.uri());
            for (const char* setting :
                 {"bytea_output = 'escape'", "extra_float_digits = 0", "array_nulls = off"})
                db->prepare(u"ALTER DATABASE "_s + server.name() + u" SET "_s +
                            QLatin1StringView(setting))
                    ->execute();
            db = PostgresConnection::open(server.uri());
        } else {
            db = scratch();
        }
        QVERIFY(db);
        db->prepare(u"CREATE TABLE vals (v "_s + (test::onServer() ? serverType : QString()) + u')')
            ->execute();
        const auto insert = db->prepare(u"INSERT INTO vals (v) VALUES (?)"_s);
        bindAs(*insert, binder, value);
        insert->execute();
        QCOMPARE(db->rowsChanged(), qint64(1));
        if (!test::onServer()) {
            const auto type = db->prepare(u"SELECT typeof(v) FROM vals"_s);
            QVERIFY(type->next());
            QCOMPARE(type->text(0), storedAs);
        }
        // On a server, many rows are written at once as an array of texts (the sets of imports,
        // bulk edits and undos): the value goes that way too.
        int rows = 1;
        if (test::onServer() && serverType != u"bytea"_s) {
            const auto many = db->prepare(u"INSERT INTO vals (v) SELECT CAST(x AS "_s + serverType +
                                          u") FROM unnest(CAST(? AS text[])) AS x"_s);
            many->bindText(1, ServerSets::texts({value}));
            many->execute();
            ++rows;
        }
        const auto read = db->prepare(u"SELECT v FROM vals"_s);
        for (int row = 0; row < rows; ++row) {
            QVERIFY(read->next());
            QCOMPARE(read->columnName(0), u"v"_s);
            const QVariant stored = read->stored(0);
            QCOMPARE(read->isNull(0), !value.isValid());
            QCOMPARE(stored.isValid(), value.isValid());
            if (value.typeId() == QMetaType::Double) {
                QVERIFY(sameBits(read->real(0), value.toDouble()));
                QVERIFY(sameBits(stored.toDouble(), value.toDouble()));
            } else if (value.typeId() == QMetaType::LongLong) {
                QCOMPARE(read->integer(0), value.toLongLong());
                QCOMPARE(stored, value);
            } else if (value.isValid()) {
                QCOMPARE(stored, value);
                QCOMPARE(read->value(0), value);
            }
        }
        QVERIFY(!read->next());
        // A blob read as it is comes back the same; on a server, any other value read that
        // way is refused rather than misread.
        const auto whole = db->prepare(u"SELECT v FROM vals"_s);
        whole->readBlobsAsTheyAre();
        if (serverType == u"bytea"_s) {
            QVERIFY(whole->next());
            QCOMPARE(whole->stored(0), value);
        } else if (test::onServer()) {
            QVERIFY_THROWS_EXCEPTION(RunTimeError, whole->next());
        }
    }

    // A refusal says what the engine said, and the refused statement wrote nothing.
    void refusalsCarryTheEngineMessage_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("serverMessage");
        QTest::newRow("misspelt") << u"SELEC 1"_s << u"syntax error"_s << u"syntax error"_s;
        QTest::newRow("no such table")
            << u"SELECT * FROM Nowhere"_s << u"no such table"_s << u"\"nowhere\" does not exist"_s;
        QTest::newRow("word into money")
            << u"INSERT INTO Products (StockNo, Retail) VALUES ('A1', 'cheap')"_s << u"Retail"_s
            << u"\"cheap\""_s;
        QTest::newRow("impossible date")
            << u"INSERT INTO Inventory (\"Product Id\", \"Date In\") VALUES ('A', '2024-02-30')"_s
            << u"Date In"_s << u"out of range"_s;
        QTest::newRow("number into yes/no")
            << u"INSERT INTO Products (StockNo, Disco) VALUES ('A1', 7)"_s << u"Disco"_s
            << u"yesno"_s;
        QTest::newRow("key taken")
            << u"INSERT INTO Catagory (CID) VALUES (1)"_s
            << u"UNIQUE constraint failed: Catagory.CID"_s << u"(cid)=(1) already exists"_s;
    }
    void refusalsCarryTheEngineMessage() {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        QFETCH(QString, serverMessage);
        if (test::onServer())
            message = serverMessage;
        CatalogueDatabase db(newCatalogue());
        db.run(u"INSERT INTO Catagory (CID, CatName) VALUES (1, 'C')"_s);
        const qint64 rows =
            db.scalar(u"SELECT (SELECT count(*) FROM Products) + (SELECT count(*) FROM "
                      u"Inventory) + (SELECT count(*) FROM Catagory)"_s)
                .toLongLong();
        QString said;
        try {
            db.prepare(sql)->execute();
        } catch (const StatementRefused& error) {
            said = error.databaseMessage();
            QVERIFY(error.description().endsWith(said));
        }
        QVERIFY2(said.contains(message), qPrintable(said));
        QCOMPARE(said, db.connection().errorText());
        QCOMPARE(db.scalar(u"SELECT (SELECT count(*) FROM Products) + (SELECT count(*) FROM "
                           u"Inventory) + (SELECT count(*) FROM Catagory)"_s)
                     .toLongLong(),
                 rows);
    }

    // Other views learn of a write once it is in the file: at the commit, or as soon as a
    // statement outside a transaction is done; a rolled-back write leaves nothing to learn of.
    void writesAreAnnouncedOnceInTheFile_data() {
        QTest::addColumn<int>("how"); // 0: committed, 1: rolled back, 2: no transaction
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("committed") << 0 << 2;
        QTest::newRow("rolled back") << 1 << 0;
        QTest::newRow("outside a transaction") << 2 << 2;
    }
    void writesAreAnnouncedOnceInTheFile() {
        QFETCH(int, how);
        QFETCH(int, rowsLeft);
        CatalogueDatabase db(newCatalogue());
        QSignalSpy told(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged);
        const auto write = [&] {
            const auto insert = db.prepare(u"INSERT INTO Products (StockNo) VALUES (?)"_s);
            for (const QString& stockNo : {u"A1"_s, u"A2"_s}) {
                insert->bind(1, QVariant(stockNo));
                insert->execute();
                insert->reset();
            }
        };
        if (how == 2) {
            write();
        } else {
            ScopedTransaction transaction(db);
            write();
            QCOMPARE(told.size(), qsizetype(0)); // nothing is told before it is in the file
            if (how == 0)
                transaction.commit();
        }
        QCOMPARE(db.scalar(u"SELECT count(*) FROM Products"_s).toInt(), rowsLeft);
        QList<qint64> announced;
        for (const QList<QVariant>& signal : told)
            if (signal.at(1).toString() == u"Products"_s)
                announced << signal.at(2).value<QList<qint64>>();
        QCOMPARE(announced.size(), qsizetype(rowsLeft));
    }

    // The statement pieces in which engines differ do here what their names say.
    void dialectPieces_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QVariant>("expected");
        const StorageDialect& dialect = StorageConnectionTest::dialect();
        QTest::newRow("equal ignoring case")
            << dialect.equalsIgnoringCase(u"'Garden'"_s, u"'gARDEN'"_s) << QVariant(1);
        QTest::newRow("unequal ignoring case")
            << dialect.equalsIgnoringCase(u"'Garden'"_s, u"'Gardens'"_s) << QVariant(0);
        QTest::newRow("like ignoring case")
            << dialect.likeIgnoringCase(u"'Garden'"_s, u"'gar%'"_s) << QVariant(1);
        QTest::newRow("like has no escape character")
            << dialect.likeIgnoringCase(u"'a\\xb'"_s, u"'A\\_b'"_s) << QVariant(1);
        QTest::newRow("like folds only ASCII letters")
            << dialect.likeIgnoringCase(u"'Ärger'"_s, u"'ärger'"_s) << QVariant(0);
        QTest::newRow("long s found") << dialect.containsLongS(u"'Gla\u017Fs'"_s) << QVariant(1);
        QTest::newRow("plain s is no long s")
            << dialect.containsLongS(u"'Glass GLASS'"_s) << QVariant(0);
        QTest::newRow("date literal orders as a date")
            << dialect.dateLiteral(QDate(2024, 2, 9)) + u" < "_s +
                   dialect.dateLiteral(QDate(2024, 10, 1))
            << QVariant(1);
        QTest::newRow("largest row key")
            << dialect.largestRowKey(u"t"_s) + u" IS NULL"_s << QVariant(1);
    }
    void dialectPieces() {
        QFETCH(QString, expression);
        QFETCH(QVariant, expected);
        const auto db = scratch();
        QVERIFY(db);
        const auto q = db->prepare(u"SELECT "_s + expression);
        QVERIFY(q->next());
        QCOMPARE(q->integer(0), expected.toLongLong());
    }

    void dialectWritesOneRowPerKey_data() {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QString>("kept");
        QTest::newRow("insert unless present") << false << u"first"_s;
        QTest::newRow("insert or update") << true << u"second"_s;
    }
    void dialectWritesOneRowPerKey() {
        QFETCH(bool, update);
        QFETCH(QString, kept);
        const auto db = scratch();
        QVERIFY(db);
        db->prepare(u"CREATE TABLE k (id INTEGER PRIMARY KEY, name TEXT)"_s)->next();
        const StorageDialect& dialect = db->dialect();
        const QStringList columns = {u"id"_s, u"name"_s};
        const QString sql = update ? dialect.insertOrUpdate(u"k"_s, columns, {u"id"_s})
                                   : dialect.insertUnlessPresent(u"k"_s, columns);
        for (const QString& name : {u"first"_s, u"second"_s}) {
            const auto write = db->prepare(sql);
            write->bind(1, qint64(7));
            write->bindText(2, name);
            write->execute();
        }
        const auto read = db->prepare(u"SELECT name FROM k"_s);
        QVERIFY(read->next());
        QCOMPARE(read->text(0), kept);
        QVERIFY(!read->next());
    }

    // A group of runs gives what each run alone gives: a refused one changes nothing and is
    // told, each reader sees exactly the writes before it, and a statement kept by the server
    // for its later runs is made again when the run that was to make it did not come back.
    void groupRunsAsEachAlone_data() {
        QTest::addColumn<QList<int>>("existing"); // keys in the table before the group
        QTest::addColumn<bool>("inTransaction");
        QTest::addColumn<QList<int>>("counts"); // rows seen after each of the keys 1 to 4
        QTest::addColumn<QList<int>>("refused");
        QTest::newRow("none refused")
            << QList<int>{} << true << QList<int>{1, 2, 3, 4} << QList<int>{};
        QTest::newRow("first refused")
            << QList<int>{1} << true << QList<int>{1, 2, 3, 4} << QList<int>{1};
        QTest::newRow("the run making the kept statement refused")
            << QList<int>{2} << true << QList<int>{2, 2, 3, 4} << QList<int>{2};
        QTest::newRow("two in a row refused")
            << QList<int>{2, 3} << true << QList<int>{3, 3, 3, 4} << QList<int>{2, 3};
        QTest::newRow("last refused")
            << QList<int>{4} << true << QList<int>{2, 3, 4, 4} << QList<int>{4};
        QTest::newRow("outside a transaction")
            << QList<int>{3} << false << QList<int>{2, 3, 3, 4} << QList<int>{3};
    }
    void groupRunsAsEachAlone() {
        QFETCH(QList<int>, existing);
        QFETCH(bool, inTransaction);
        QFETCH(QList<int>, counts);
        QFETCH(QList<int>, refused);
        const auto db = scratch();
        QVERIFY(db);
        db->prepare(u"CREATE TABLE k (id INTEGER PRIMARY KEY, name TEXT)"_s)->next();
        const auto insert = db->prepare(u"INSERT INTO k (id, name) VALUES (?, ?)"_s);
        for (int id : existing) {
            insert->bind(1, qint64(id));
            insert->bindText(2, u"before"_s);
            insert->execute();
            insert->reset();
        }
        const auto count = db->prepare(u"SELECT count(*) FROM k"_s);
        QList<int> seen;
        QList<int> told;
        std::vector<StorageConnection::GroupedRun> runs;
        for (int id = 1; id <= 4; ++id) {
            runs.push_back({insert.get(),
                            {QVariant(qlonglong(id)), QVariant(u"group"_s)},
                            {},
                            [&told, id](const StatementRefused&) { told << id; }});
            runs.push_back({count.get(),
                            {},
                            [&seen](StorageStatement& read) {
                                QVERIFY(read.next());
                                seen << int(read.integer(0));
                            },
                            {}});
        }
        if (inTransaction)
            db->begin();
        db->runTogether(runs);
        if (inTransaction)
            db->commit();
        QCOMPARE(seen, counts);
        QCOMPARE(told, refused);
        const auto names = db->prepare(u"SELECT id FROM k WHERE name = 'group' ORDER BY id"_s);
        QList<int> written;
        while (names->next())
            written << int(names->integer(0));
        QList<int> expected;
        for (int id = 1; id <= 4; ++id)
            if (!refused.contains(id))
                expected << id;
        QCOMPARE(written, expected);
        // The statements go on working alone after the group.
        insert->bind(1, qint64(5));
        insert->bindText(2, u"after"_s);
        insert->execute();
        insert->reset();
        QVERIFY(count->next());
        QCOMPARE(count->integer(0), qint64(counts.last() + 1));
    }
};

QTEST_GUILESS_MAIN(StorageConnectionTest)
#include "tst_storageconnection.moc"
