#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/DemoCatalogue.h"
#include "core/catalogue/RowWriter.h"
#include "core/storage/ColumnValues.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/SqliteConnection.h"
#include "core/storage/WriterTurn.h"
#include "support/core/LockWaitWatch.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestServer.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <memory>
#include <optional>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::errorOf;
namespace PC = CatalogueSchema::ProductsColumn;

class CatalogueDatabaseTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;
    std::vector<std::unique_ptr<test::ServerDatabase>> m_databases;

    // A new catalogue: a file, or a database of its own on the test cluster.
    QString newCatalogue(const QString& extension = u".mde"_s) {
        const QString path = test::onServer()
                                 ? newDatabase()
                                 : m_dir.filePath(u"catalogue%1"_s.arg(++m_files) + extension);
        CatalogueDatabase::create(path);
        return path;
    }
    QString newDatabase() {
        m_databases.push_back(std::make_unique<test::ServerDatabase>());
        return m_databases.back()->uri();
    }

    // A catalogue with three categories, products, stock and order lines, in this program's
    // layout (0) or as its first layout made it: counter keys that SQLite hands out again, no
    // row-key bookkeeping, and for the oldest files (-1) no layout version at all.
    QString catalogueInLayout(int layout) {
        const QString path = m_dir.filePath(u"layout%1.mde"_s.arg(++m_files));
        {
            QString failure;
            const auto db =
                SqliteConnection::open(path, SqliteConnection::OpenMode::ReadWrite, failure);
            if (!db)
                return QString();
            // As the first layouts did: a statement the layout has no table for does nothing.
            const auto exec = [&](const QString& sql) {
                try {
                    db->prepare(sql)->next();
                } catch (const RunTimeError&) {
                }
            };
            for (QString statement : CatalogueSchema::createStatements()) {
                if (layout != 0 && (statement.contains(u"RowKeys"_s) ||
                                    (layout < 0 && statement.contains(u"SchemaVersion"_s))))
                    continue;
                if (layout != 0 && statement.startsWith(u"INSERT INTO SchemaVersion"_s))
                    statement = u"INSERT INTO SchemaVersion (Version) VALUES (1)"_s;
                exec(layout == 0 ? statement : statement.remove(u" AUTOINCREMENT"_s));
            }
            for (int i = 1; i <= 3; ++i) {
                exec(u"INSERT INTO Catagory (CID, CatName) VALUES (%1, 'C%1')"_s.arg(i));
                exec(u"INSERT INTO Products (PID, StockNo) VALUES (%1, 'P%1')"_s.arg(i));
                exec(u"INSERT INTO Inventory (\"Product Id\") VALUES ('P%1')"_s.arg(i));
                exec(u"INSERT INTO Orders (\"Order ID\") VALUES ('O%1')"_s.arg(i));
            }
        }
        return path;
    }

    static qint64 count(CatalogueDatabase& db, const QString& table) {
        return db.scalar(u"SELECT count(*) FROM "_s + CatalogueDatabase::quoteName(table))
            .toLongLong();
    }

private slots:
    void cleanup() { m_databases.clear(); }

    void schema() {
        CatalogueDatabase db(newCatalogue(u".mdb"_s)); // opens whatever the name's extension
        // Other screens and programs read while this one writes.
        if (!test::onServer())
            QCOMPARE(db.scalar(u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
        // Code everywhere reads product columns by position.
        QCOMPARE(db.columns(u"products"_s).at(PC::Cost1).kind, ColumnKind::Money);
        QCOMPARE(db.columns(u"Products"_s).at(PC::Disco).kind, ColumnKind::YesNo);
        QCOMPARE(db.columns(u"Products"_s).at(PC::PID).kind, ColumnKind::Counter);
        // The setup screen reads its eleven boxes by position in the table.
        const QList<ColumnInfo>& setup = db.columns(u"Setup"_s);
        const QList<std::pair<int, QString>> setupBoxes = {{0, u"Company Name"_s},
                                                           {2, u"Company Address"_s},
                                                           {17, u"Owner Name"_s},
                                                           {19, u"Phone"_s},
                                                           {23, u"Web Page"_s}};
        for (const auto& [position, name] : setupBoxes)
            QCOMPARE(setup.at(position).name, name);
        // Every kind is read back from the table as it was made, and the table names as spelled.
        for (const TableDefinition& table : CatalogueSchema::tables()) {
            const QList<ColumnInfo>& columns = db.columns(table.name);
            QCOMPARE(columns.size(), table.columns.size());
            for (qsizetype i = 0; i < columns.size(); ++i) {
                QCOMPARE(columns.at(i).name, table.columns.at(i).name);
                QCOMPARE(columns.at(i).kind, table.columns.at(i).kind);
            }
            QCOMPARE(db.tableName(table.name.toUpper()), table.name);
        }
        QCOMPARE(db.tableNames().size(), CatalogueSchema::tables().size());
    }

    // A database on a server is opened only when it holds a catalogue this program can read,
    // and a catalogue is made only in a database that holds none.
    void serverDatabasesAreChecked_data() {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty database") << QString() << int(ErrorNumber::CannotOpenDatabase)
                                        << u"is not a catalogue database"_s;
        QTest::newRow("other tables")
            << u"CREATE TABLE Things (a text)"_s << int(ErrorNumber::CannotOpenDatabase)
            << u"is not a catalogue database"_s;
        QTest::newRow("newer layout")
            << u"catalogue+1"_s << int(ErrorNumber::CannotOpenDatabase) << u"newer version"_s;
        QTest::newRow("this layout") << u"catalogue"_s << 0 << QString();
    }
    void serverDatabasesAreChecked() {
        QFETCH(QString, setUp);
        QFETCH(int, error);
        QFETCH(QString, reason);
        if (!test::onServer())
            QSKIP("about catalogues on a server only");
        const QString uri = newDatabase();
        if (setUp.startsWith(u"catalogue"_s)) {
            CatalogueDatabase::create(uri);
            if (setUp.endsWith(u"+1"_s))
                CatalogueDatabase(uri).run(u"UPDATE SchemaVersion SET Version = ?"_s,
                                           {CatalogueSchema::Version + 1});
            QString why;
            QCOMPARE(errorOf([&] { CatalogueDatabase::create(uri); }, &why),
                     ErrorNumber::DatabaseRefused);
            QVERIFY2(why.contains(u"already holds a catalogue"_s), qPrintable(why));
        } else if (!setUp.isEmpty()) {
            const auto admin = PostgresConnection::open(uri);
            admin->prepare(setUp)->execute();
        }
        QString why;
        QCOMPARE(errorOf([&] { CatalogueDatabase{uri}; }, &why), error);
        QVERIFY2(why.contains(reason), qPrintable(why));
    }

    void refusedValuesWriteNothing_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("error");
        const QString products = u"Products"_s;
        const int dateIn = 6; // Inventory's "Date In"
        const int mismatch = ErrorNumber::TypeMismatch;
        const int overflow = ErrorNumber::Overflow;
        QTest::newRow("word into number")
            << products << int(PC::Inventory) << QVariant(u"lots"_s) << mismatch;
        QTest::newRow("word into money")
            << products << int(PC::Retail) << QVariant(u"cheap"_s) << mismatch;
        QTest::newRow("word into yes/no")
            << products << int(PC::Disco) << QVariant(u"perhaps"_s) << mismatch;
        QTest::newRow("half number into money")
            << products << int(PC::Cost1) << QVariant(u"12.50abc"_s) << mismatch;
        QTest::newRow("word into date")
            << u"Inventory"_s << dateIn << QVariant(u"soon"_s) << mismatch;
        QTest::newRow("impossible date")
            << u"Inventory"_s << dateIn << QVariant(u"02/30/2024"_s) << mismatch;
        QTest::newRow("month 13") << u"Inventory"_s << dateIn << QVariant(u"13/01/2024"_s)
                                  << mismatch;
        // Numbers far beyond a column's range once rounded to 0 and were stored as 0.
        QTest::newRow("1e60 typed into money")
            << products << int(PC::Retail) << QVariant(u"1e60"_s) << overflow;
        QTest::newRow("1e60 into money")
            << products << int(PC::Cost5) << QVariant(1e60) << overflow;
        QTest::newRow("just past the largest amount")
            << products << int(PC::Price) << QVariant(u"922337203685478"_s) << overflow;
        QTest::newRow("1e60 into a counter key")
            << products << int(PC::PID) << QVariant(u"1e60"_s) << overflow;
    }
    void refusedValuesWriteNothing() {
        QFETCH(QString, table);
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(int, error);
        CatalogueDatabase db(newCatalogue());
        const int key = table == u"Products"_s ? int(PC::StockNo) : 0; // or Product Id
        const ColumnValueList row = {{key, u"A1"_s}, {column, value}};
        // A refusal also takes back the rows written before it in the same transaction.
        QCOMPARE(errorOf([&] {
                     ScopedTransaction t(db);
                     RowWriter::insert(db, table, {{key, u"A0"_s}});
                     RowWriter::insert(db, table, row);
                     t.commit();
                 }),
                 error);
        QCOMPARE(count(db, table), 0);
    }

    void moneyIsExactToFourDecimals_data() {
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<double>("readBack");
        QTest::addColumn<qint64>("stored");
        QTest::newRow("four decimals kept") << QVariant(1234.5678) << 1234.5678 << qint64(12345678);
        QTest::newRow("fifth decimal half to even") << QVariant(0.00005) << 0.0 << qint64(0);
        QTest::newRow("fifth decimal up") << QVariant(0.00015) << 0.0002 << qint64(2);
        QTest::newRow("typed with sign and commas")
            << QVariant(u"$1,234.50"_s) << 1234.5 << qint64(12345000);
        QTest::newRow("a cent") << QVariant(u"0.01"_s) << 0.01 << qint64(100);
    }
    void moneyIsExactToFourDecimals() {
        QFETCH(QVariant, written);
        QFETCH(double, readBack);
        QFETCH(qint64, stored);
        CatalogueDatabase db(newCatalogue());
        const qint64 row =
            RowWriter::insert(db, u"Products"_s, {{PC::StockNo, u"M1"_s}, {PC::Cost1, written}});
        const QVariant raw = db.scalar(u"SELECT Cost1 FROM Products WHERE rowid = ?"_s, {row});
        QCOMPARE(raw.toLongLong(), stored);
        QCOMPARE(ColumnValues::fromStorage(ColumnKind::Money, raw).toDouble(), readBack);
    }

    void storedAsWritten() {
        CatalogueDatabase db(newCatalogue());
        RowWriter::insert(
            db, u"Products"_s,
            {{PC::StockNo, u"0012"_s}, {PC::Notes, QString()}, {PC::Inventory, QString()}});
        const QString added = u" FROM Products WHERE StockNo = '0012'"_s;
        QCOMPARE(db.scalar(u"SELECT count(*) FROM Products WHERE StockNo = '12'"_s).toInt(), 0);
        QVERIFY(db.scalar(u"SELECT Notes"_s + added).isNull()); // empty text stores null
        QVERIFY(db.scalar(u"SELECT Inventory"_s + added).isNull());
    }

    // Only a catalogue this program can read is opened; anything else is refused and left as
    // it was, and a missing file is never made on open.
    void missingOrForeignFilesAreRefused_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file; empty: a newer program's
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << QString();
        QTest::newRow("text file") << QByteArray("this is not a catalogue\n") << QString();
        QTest::newRow("an Access file") << QByteArray("\0\1\0\0Standard Jet DB\0", 20) << QString();
        QTest::newRow("catalogue of a newer program") << QByteArray("") << u"newer version"_s;
    }
    void missingOrForeignFilesAreRefused() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        if (test::onServer())
            QSKIP("about catalogue files only");
        QString path = m_dir.filePath(u"foreign%1.mdb"_s.arg(++m_files));
        if (content.isEmpty() && !content.isNull()) {
            path = newCatalogue();
            CatalogueDatabase db(path);
            db.run(u"UPDATE SchemaVersion SET Version = ?"_s, {CatalogueSchema::Version + 1});
            db.checkpoint();
        } else if (!content.isNull()) {
            test::writeFile(path, content.leftJustified(4096, '\0'));
        }
        const QByteArray before = test::readFile(path);
        QString why;
        QCOMPARE(errorOf([&] { CatalogueDatabase{path}; }, &why), ErrorNumber::CannotOpenDatabase);
        QVERIFY2(why.contains(reason), qPrintable(why));
        QCOMPARE(test::readFile(path), before);
    }

    // Keys are never given out twice: a row added after the last row was deleted gets a key of
    // its own, for tables with a counter key and for tables keyed by their row numbers. An older
    // catalogue is brought up to date on opening, once.
    void keysAreNeverGivenOutAgain_data() {
        QTest::addColumn<int>("layout");
        QTest::newRow("this layout") << 0;
        QTest::newRow("layout 1") << 1;
        QTest::newRow("no layout version") << -1;
    }
    void keysAreNeverGivenOutAgain() {
        QFETCH(int, layout);
        QString path;
        if (test::onServer()) {
            // A server catalogue has only this program's layout; its keys come from sequences.
            if (layout != 0)
                QSKIP("older layouts are files only");
            path = newCatalogue();
            CatalogueDatabase db(path);
            for (int i = 1; i <= 3; ++i) {
                db.run(u"INSERT INTO Catagory (CID, CatName) VALUES (?, ?)"_s,
                       {i, u"C%1"_s.arg(i)});
                db.run(u"INSERT INTO Products (PID, StockNo) VALUES (?, ?)"_s,
                       {i, u"P%1"_s.arg(i)});
                db.run(u"INSERT INTO Inventory (\"Product Id\") VALUES (?)"_s, {u"P%1"_s.arg(i)});
                db.run(u"INSERT INTO Orders (\"Order ID\") VALUES (?)"_s, {u"O%1"_s.arg(i)});
            }
        } else {
            path = catalogueInLayout(layout);
        }
        QVERIFY(!path.isEmpty());
        CatalogueDatabase db(path);
        QCOMPARE(db.scalar(u"SELECT max(Version) FROM SchemaVersion"_s).toInt(),
                 CatalogueSchema::Version);
        QCOMPARE(db.tableNames().size(), CatalogueSchema::tables().size());
        QStringList names;
        for (StorageStatement& q = db.run(u"SELECT CatName FROM Catagory ORDER BY CID"_s);
             q.next();)
            names << q.text(0);
        QCOMPARE(names, QStringList({u"C1"_s, u"C2"_s, u"C3"_s}));
        QCOMPARE(db.columns(u"Products"_s).at(PC::PID).kind, ColumnKind::Counter);
        if (!test::onServer())
            QCOMPARE(
                db.scalar(u"SELECT count(*) FROM sqlite_master WHERE name = 'ProductsStockNo'"_s)
                    .toInt(),
                1);
        for (const QString& table : {u"Catagory"_s, u"Products"_s, u"Inventory"_s, u"Orders"_s}) {
            QVERIFY(RowWriter::remove(db, table, 3));
            QCOMPARE(RowWriter::insert(db, table, {}), qint64(4));
        }
        // A second opening finds nothing left to do.
        CatalogueDatabase again(path);
        QCOMPARE(count(again, u"Catagory"_s), 3);
    }

    void duplicateKeyIsToldInPlainWords() {
        CatalogueDatabase db(newCatalogue());
        RowWriter::insert(db, u"Catagory"_s, {{0, 5}, {1, u"Tools"_s}});
        QString why;
        try {
            RowWriter::insert(db, u"Catagory"_s, {{0, 5}, {1, u"Garden"_s}});
        } catch (const RunTimeError& e) {
            why = e.description();
        }
        QCOMPARE(why, u"The CID 5 is already taken by another record; give another value."_s);
        QCOMPARE(count(db, u"Catagory"_s), 1);
    }

    // A copy holds all the catalogue holds, also what an open connection wrote that is still in
    // its journal. A copy written over a catalogue that another connection (a screen kept on
    // it) still has open would leave that connection reading and writing a file that is gone.
    // (Backups take another name instead; their own tests show it.)
    void copyIsWholeAndNeverReplacesACatalogueInUse_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("save as a new name") << u"new"_s;
        QTest::newRow("save as over a catalogue") << u"catalogue"_s;
        QTest::newRow("save as over a catalogue in use") << u"in use"_s;
    }
    void copyIsWholeAndNeverReplacesACatalogueInUse() {
        QFETCH(QString, target);
        if (test::onServer())
            QSKIP("about catalogue files only");
        CatalogueDatabase db(newCatalogue());
        {
            ScopedTransaction t(db);
            for (int i = 0; i < 200; ++i)
                RowWriter::insert(db, u"Products"_s, {{PC::StockNo, u"C%1"_s.arg(i)}});
            t.commit();
        }
        const QString copy =
            target == u"new"_s ? m_dir.filePath(u"copy%1.mdb"_s.arg(++m_files)) : newCatalogue();
        std::optional<CatalogueDatabase> held;
        if (target == u"in use"_s)
            held.emplace(copy);
        const int refused = errorOf([&] { db.copyTo(copy); });
        QCOMPARE(refused != 0, held.has_value());
        held.reset();
        CatalogueDatabase copied(copy);
        QCOMPARE(count(copied, u"Products"_s), target == u"in use"_s ? 0 : 200);
    }

    // Another program closing the catalogue holds it alone for a moment while it folds its
    // journal into the file. Opening it then is no write and waits that moment out, even for a
    // command told not to wait for other writers; a writer told not to wait is refused at once.
    void openingWaitsOutAMomentaryLock_data() {
        QTest::addColumn<bool>("write");
        QTest::newRow("opening to read") << false;
        QTest::newRow("starting a write") << true;
    }
    void openingWaitsOutAMomentaryLock() {
        QFETCH(bool, write);
        if (test::onServer())
            QSKIP("about catalogue files only");
        const QString path = newCatalogue();
        const int keptWait = WriterTurn::limitMs();
        WriterTurn::setLimitMs(0);
        const auto restoreWait = qScopeGuard([&] { WriterTurn::setLimitMs(keptWait); });
        std::optional<CatalogueDatabase> reader;
        if (write)
            reader.emplace(path);
        // The holder lets go once this program's connection sleeps in a wait for its lock, or
        // once the attempt is over: a wait is seen, never timed.
        test::LockWaitWatch watch;
        std::promise<void> held;
        std::thread holder([&] {
            QString failure;
            auto other =
                SqliteConnection::open(path, SqliteConnection::OpenMode::ReadWrite, failure);
            if (write) {
                other->begin(StorageConnection::Intent::Write);
            } else {
                other->prepare(u"PRAGMA locking_mode = EXCLUSIVE"_s)->next();
                other->prepare(u"SELECT count(*) FROM Products"_s)->next();
            }
            held.set_value();
            watch.waitForSleep();
        });
        const auto joinHolder = qScopeGuard([&] {
            watch.over();
            holder.join();
        });
        held.get_future().wait();
        if (write) {
            const int refused = errorOf([&] { ScopedTransaction t(*reader); });
            QVERIFY(refused != 0);
            QVERIFY(!watch.slept());
        } else {
            QCOMPARE(
                errorOf([&] { count(*std::make_unique<CatalogueDatabase>(path), u"Products"_s); }),
                0);
            QVERIFY(watch.slept());
        }
    }

    void demoCatalogueIsFilled() {
        if (test::onServer())
            QSKIP("about catalogue files only");
        const QString path = m_dir.filePath(u"demo.mde"_s);
        DemoCatalogue::create(path);
        CatalogueDatabase db(path);
        const QList<std::pair<QString, int>> least = {
            {u"Products"_s, 24}, {u"Supplier"_s, 2}, {u"Catagory"_s, 3}, {u"Inventory"_s, 1},
            {u"Orders"_s, 1},    {u"Invoice"_s, 1},  {u"Sales"_s, 1}};
        for (const auto& [table, rows] : least)
            QVERIFY2(count(db, table) >= rows, qPrintable(table));
        QVERIFY(db.scalar(u"SELECT count(DISTINCT PageNo) FROM Products"_s).toInt() >= 3);
        // Each invoice matches the sum of its order lines.
        StorageStatement& q = db.run(
            u"SELECT i.\"Total Order\", (SELECT sum(Cost) FROM Orders o WHERE o.\"Order ID\" = "
            u"i.\"Order ID\") FROM Invoice i"_s);
        while (q.next())
            QCOMPARE(q.integer(0), q.integer(1));
    }
};

QTEST_GUILESS_MAIN(CatalogueDatabaseTest)
#include "tst_cataloguedatabase.moc"
