#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/ColumnValues.h"
#include "core/data/DemoCatalogue.h"
#include "core/data/RowWriter.h"
#include "core/shell/RunTimeError.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
namespace PC = CatalogueSchema::ProductsColumn;

class CatalogueDatabaseTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    QString newCatalogue(const QString& extension = u".mde"_s) {
        const QString path = m_dir.filePath(u"catalogue%1"_s.arg(++m_files) + extension);
        CatalogueDatabase::create(path);
        return path;
    }

    static qint64 count(CatalogueDatabase& db, const QString& table) {
        return db.scalar(u"SELECT count(*) FROM "_s + CatalogueDatabase::quoteName(table))
            .toLongLong();
    }

private slots:
    void productsColumnsInFixedOrder() {
        CatalogueDatabase db(newCatalogue());
        const QStringList expected{u"PID"_s,      u"Supplier"_s, u"StockNo"_s,   u"ProdName"_s,
                                   u"ProdDesc"_s, u"PageNo"_s,   u"Packaging"_s, u"Cost1"_s,
                                   u"Cost2"_s,    u"Cost3"_s,    u"Cost4"_s,     u"Cost5"_s,
                                   u"Retail"_s,   u"Price"_s,    u"Weight"_s,    u"MinOrdW"_s,
                                   u"MinOrdR"_s,  u"Picture"_s,  u"Catagory"_s,  u"OnSpecial"_s,
                                   u"OutStock"_s, u"Disco"_s,    u"Orderable"_s, u"Inventory"_s,
                                   u"OnOrder"_s,  u"ReOrder"_s,  u"NoSold"_s,    u"Ship1"_s,
                                   u"Ship2"_s,    u"Notes"_s,    u"Taxable"_s};
        QStringList actual;
        for (const ColumnInfo& c : db.columns(u"Products"_s))
            actual << c.name;
        QCOMPARE(actual, expected);
        QCOMPARE(db.columns(u"products"_s).at(PC::Cost1).kind, ColumnKind::Money);
        QCOMPARE(db.columns(u"Products"_s).at(PC::Disco).kind, ColumnKind::YesNo);
        QCOMPARE(db.columns(u"Products"_s).at(PC::PID).kind, ColumnKind::Counter);
    }

    void everyTableIsThere() {
        CatalogueDatabase db(newCatalogue());
        for (const QString& table : {u"Products"_s, u"Supplier"_s, u"Catagory"_s, u"Inventory"_s,
                                     u"Invoice"_s, u"Orders"_s, u"Sales"_s, u"Setup"_s})
            QVERIFY2(db.hasTable(table), qPrintable(table));
        // The setup screen reads its eleven boxes by position in the table.
        const QList<ColumnInfo>& setup = db.columns(u"Setup"_s);
        QCOMPARE(setup.at(0).name, u"Company Name"_s);
        QCOMPARE(setup.at(2).name, u"Company Address"_s);
        QCOMPARE(setup.at(17).name, u"Owner Name"_s);
        QCOMPARE(setup.at(19).name, u"Phone"_s);
        QCOMPARE(setup.at(23).name, u"Web Page"_s);
    }

    void journalIsWalAndStockNumbersIndexed() {
        CatalogueDatabase db(newCatalogue());
        QCOMPARE(db.scalar(u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
        const QString plan =
            db.scalar(u"EXPLAIN QUERY PLAN SELECT PID FROM Products WHERE StockNo = ?"_s, {u"A1"_s})
                .toString();
        Q_UNUSED(plan);
        QSqlQuery& q =
            db.run(u"EXPLAIN QUERY PLAN SELECT PID FROM Products WHERE StockNo = ?"_s, {u"A1"_s});
        QString detail;
        while (q.next())
            detail += q.value(3).toString();
        q.finish();
        QVERIFY2(detail.contains(u"ProductsStockNo"_s), qPrintable(detail));
    }

    void refusedValuesWriteNothing_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("word into number") << int(PC::Inventory) << QVariant(u"lots"_s);
        QTest::newRow("word into money") << int(PC::Retail) << QVariant(u"cheap"_s);
        QTest::newRow("word into yes/no") << int(PC::Disco) << QVariant(u"perhaps"_s);
        QTest::newRow("half number into money") << int(PC::Cost1) << QVariant(u"12.50abc"_s);
    }
    void refusedValuesWriteNothing() {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        CatalogueDatabase db(newCatalogue());
        try {
            RowWriter::insert(db, u"Products"_s,
                              {{PC::StockNo, QVariant(u"A1"_s)}, {column, value}});
            QFAIL("the value was accepted");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), ErrorNumber::TypeMismatch);
        }
        QCOMPARE(count(db, u"Products"_s), 0);
    }

    void refusedDatesWriteNothing_data() {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("word") << QVariant(u"soon"_s);
        QTest::newRow("impossible date") << QVariant(u"02/30/2024"_s);
        QTest::newRow("month 13") << QVariant(u"13/01/2024"_s);
    }
    void refusedDatesWriteNothing() {
        QFETCH(QVariant, value);
        CatalogueDatabase db(newCatalogue());
        const int dateIn = 6;
        QCOMPARE(db.columns(u"Inventory"_s).at(dateIn).name, u"Date In"_s);
        try {
            RowWriter::insert(db, u"Inventory"_s, {{0, QVariant(u"A1"_s)}, {dateIn, value}});
            QFAIL("the date was accepted");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), ErrorNumber::TypeMismatch);
        }
        QCOMPARE(count(db, u"Inventory"_s), 0);
    }

    void theFileItselfRefusesWrongTypes() {
        // Writers that go round the program's conversions meet the same refusal.
        CatalogueDatabase db(newCatalogue());
        QSqlQuery q(db.database());
        QVERIFY(!q.exec(u"INSERT INTO Products (StockNo, Retail) VALUES ('A1', 'cheap')"_s));
        QVERIFY(!q.exec(
            u"INSERT INTO Inventory (\"Product Id\", \"Date In\") VALUES ('A', '2024-02-30')"_s));
        QVERIFY(!q.exec(u"INSERT INTO Products (StockNo, Disco) VALUES ('A1', 7)"_s));
        QCOMPARE(count(db, u"Products"_s), 0);
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

    void moneySumsStayExact() {
        CatalogueDatabase db(newCatalogue());
        for (int i = 0; i < 10; ++i)
            RowWriter::insert(db, u"Products"_s,
                              {{PC::StockNo, u"S%1"_s.arg(i)}, {PC::Cost1, 0.1}});
        QCOMPARE(db.scalar(u"SELECT sum(Cost1) FROM Products"_s).toLongLong(), qint64(10000));
    }

    void stockNumbersStayText() {
        CatalogueDatabase db(newCatalogue());
        const qint64 row = RowWriter::insert(db, u"Products"_s, {{PC::StockNo, u"0012"_s}});
        QCOMPARE(db.scalar(u"SELECT StockNo FROM Products WHERE rowid = ?"_s, {row}).toString(),
                 u"0012"_s);
        QCOMPARE(db.scalar(u"SELECT count(*) FROM Products WHERE StockNo = '12'"_s).toInt(), 0);
    }

    void emptyTextStoresNull() {
        CatalogueDatabase db(newCatalogue());
        const qint64 row = RowWriter::insert(
            db, u"Products"_s,
            {{PC::StockNo, u"E1"_s}, {PC::Notes, QString()}, {PC::Inventory, QString()}});
        QVERIFY(db.scalar(u"SELECT Notes FROM Products WHERE rowid = ?"_s, {row}).isNull());
        QVERIFY(db.scalar(u"SELECT Inventory FROM Products WHERE rowid = ?"_s, {row}).isNull());
    }

    void mdbNamedFileOpensTheSameWay() {
        const QString path = newCatalogue(u".mdb"_s);
        CatalogueDatabase db(path);
        QVERIFY(db.hasTable(u"Products"_s));
    }

    void missingOrForeignFilesAreRefused_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("create");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("text file") << QByteArray("this is not a catalogue\n") << true;
        QTest::newRow("an Access file") << QByteArray("\0\1\0\0Standard Jet DB\0", 20) << true;
    }
    void missingOrForeignFilesAreRefused() {
        QFETCH(QByteArray, content);
        QFETCH(bool, create);
        const QString path = m_dir.filePath(u"foreign%1.mdb"_s.arg(++m_files));
        if (create) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content.leftJustified(4096, '\0'));
        }
        try {
            CatalogueDatabase db(path);
            QFAIL("the file was opened");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), ErrorNumber::CannotOpenDatabase);
        }
        QCOMPARE(QFile::exists(path), create); // a missing file is never made on open
    }

    void transactionRollsBackOnError() {
        CatalogueDatabase db(newCatalogue());
        try {
            ScopedTransaction t(db);
            RowWriter::insert(db, u"Products"_s, {{PC::StockNo, u"T1"_s}});
            RowWriter::insert(db, u"Products"_s, {{PC::Retail, u"nope"_s}});
            t.commit();
        } catch (const RunTimeError&) {
        }
        QCOMPARE(count(db, u"Products"_s), 0);
    }

    void copyIsAConsistentCatalogueWhileOpen() {
        const QString path = newCatalogue();
        CatalogueDatabase db(path);
        {
            ScopedTransaction t(db);
            for (int i = 0; i < 200; ++i)
                RowWriter::insert(db, u"Products"_s, {{PC::StockNo, u"C%1"_s.arg(i)}});
            t.commit();
        }
        const QString copy = m_dir.filePath(u"copy.mdb"_s);
        db.copyTo(copy);
        CatalogueDatabase copied(copy);
        QCOMPARE(count(copied, u"Products"_s), 200);
    }

    void demoCatalogueIsFilled() {
        const QString path = m_dir.filePath(u"demo.mde"_s);
        DemoCatalogue::create(path);
        CatalogueDatabase db(path);
        QVERIFY(count(db, u"Products"_s) >= 24);
        QVERIFY(count(db, u"Supplier"_s) >= 2);
        QVERIFY(count(db, u"Catagory"_s) >= 3);
        QVERIFY(count(db, u"Inventory"_s) >= 1);
        QVERIFY(count(db, u"Orders"_s) >= 1);
        QVERIFY(count(db, u"Invoice"_s) >= 1);
        QVERIFY(count(db, u"Sales"_s) >= 1);
        QVERIFY(db.scalar(u"SELECT count(DISTINCT PageNo) FROM Products"_s).toInt() >= 3);
        // Each invoice matches the sum of its order lines.
        QSqlQuery& q = db.run(
            u"SELECT i.\"Total Order\", (SELECT sum(Cost) FROM Orders o WHERE o.\"Order ID\" = "
            u"i.\"Order ID\") FROM Invoice i"_s);
        while (q.next())
            QCOMPARE(q.value(0).toLongLong(), q.value(1).toLongLong());
        q.finish();
    }
};

QTEST_GUILESS_MAIN(CatalogueDatabaseTest)
#include "tst_cataloguedatabase.moc"
