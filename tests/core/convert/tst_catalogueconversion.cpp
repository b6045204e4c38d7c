#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/convert/AccessTableSource.h"
#include "core/convert/CatalogueConversion.h"
#include "core/text/Money.h"
#include "support/core/TestData.h"
#include "support/core/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

// Tables made in memory, read through the same interface as an Access file.
class MemoryTables : public TableSource {
public:
    struct Table {
        QStringList columns;
        QList<QStringList> rows;
    };
    QMap<QString, Table> tables;

    QStringList tableNames() const override { return tables.keys(); }
    QStringList columnNames(const QString& table) const override {
        return tables.value(table).columns;
    }
    qint64 rowCount(const QString& table) const override { return tables.value(table).rows.size(); }
    void readRows(const QString& table,
                  const std::function<bool(const QStringList&)>& onRow) const override {
        for (const QStringList& row : tables.value(table).rows)
            if (!onRow(row))
                return;
    }
};

// An old catalogue in the older program's layout: every table of the catalogue, its columns in
// another order and letter case, values as the Access reader gives them.
MemoryTables oldCatalogue(int products) {
    MemoryTables old;
    QRandomGenerator random(7);
    for (const TableDefinition& table : CatalogueSchema::tables()) {
        MemoryTables::Table made;
        QList<ColumnDefinition> columns = table.columns;
        std::reverse(columns.begin(), columns.end());
        for (const ColumnDefinition& column : columns)
            made.columns << (column.name.size() % 2 ? column.name.toUpper() : column.name);
        const int rows = table.name == u"Products"_s ? products : 5;
        for (int r = 0; r < rows; ++r) {
            QStringList row;
            for (const ColumnDefinition& column : columns) {
                switch (column.kind) {
                case ColumnKind::Counter:
                    row << QString::number(10 + r * 3); // gaps, as after deletes
                    break;
                case ColumnKind::Money:
                    row << u"%1.%2"_s.arg(random.bounded(100000))
                               .arg(random.bounded(10000), 4, 10, QChar(u'0'));
                    break;
                case ColumnKind::Number:
                    row << QString::number(random.bounded(500));
                    break;
                case ColumnKind::Date:
                    row << u"12/%1/2001 10:30:00"_s.arg(1 + r % 28, 2, 10, QChar(u'0'));
                    break;
                case ColumnKind::YesNo:
                    row << (r % 2 ? u"True"_s : u"False"_s);
                    break;
                default:
                    row << u"%1 %2, \"quoted\" Knäckebröd"_s.arg(column.name).arg(r);
                }
            }
            made.rows << row;
        }
        old.tables.insert(table.name == u"Products"_s ? u"PRODUCTS"_s : table.name, made);
    }
    return old;
}

// Where a column of the schema stands in an old table (whose names differ in letter case).
int columnAt(const MemoryTables::Table& table, const QString& column) {
    const qsizetype upper = table.columns.indexOf(column.toUpper());
    return int(upper >= 0 ? upper : table.columns.indexOf(column));
}

qint64 exactSum(const MemoryTables::Table& table, const QString& column) {
    const int at = columnAt(table, column);
    qint64 sum = 0;
    for (const QStringList& row : table.rows) {
        sum += Money::fromText(row.at(at)).value_or(Money()).toStored();
    }
    return sum;
}

} // namespace

class CatalogueConversionTest : public QObject {
    Q_OBJECT

private slots:
    void convertsEveryTableRowAndValue() {
        const MemoryTables old = oldCatalogue(3000);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"shop.mde"_s);
        const ConversionResult result = CatalogueConversion::convert(old, path);
        QVERIFY(!result.cancelled);
        QCOMPARE(result.totalRows(), qint64(3000 + 7 * 5));

        CatalogueDatabase db(path);
        for (const TableDefinition& table : CatalogueSchema::tables()) {
            const MemoryTables::Table source =
                old.tables.value(table.name == u"Products"_s ? u"PRODUCTS"_s : table.name);
            QCOMPARE(
                db.scalar(u"SELECT count(*) FROM "_s + CatalogueDatabase::quoteName(table.name))
                    .toLongLong(),
                qint64(source.rows.size()));
            for (const ColumnDefinition& column : table.columns)
                if (column.kind == ColumnKind::Money)
                    QCOMPARE(db.scalar(u"SELECT sum(%1) FROM %2"_s.arg(
                                           CatalogueDatabase::quoteName(column.name),
                                           CatalogueDatabase::quoteName(table.name)))
                                 .toLongLong(),
                             exactSum(source, column.name));
        }
        QCOMPARE(db.scalar(u"SELECT [Date In] FROM Inventory LIMIT 1"_s).toString(),
                 u"2001-12-01"_s);
        QCOMPARE(db.scalar(u"SELECT sum(Disco) FROM Products"_s).toLongLong(), qint64(1500));
        QCOMPARE(db.scalar(u"SELECT ProdName FROM Products WHERE PID = 13"_s).toString(),
                 u"ProdName 1, \"quoted\" Knäckebröd"_s);
        // Every old order line has a Date Received: its goods went into stock in the old file.
        QCOMPARE(db.scalar(u"SELECT count(*) FROM ReceivedLines"_s).toLongLong(), qint64(5));
        // The counter goes on after the highest old key.
        db.run(u"INSERT INTO Products (StockNo) VALUES ('NEW-1')"_s);
        QCOMPARE(db.scalar(u"SELECT PID FROM Products WHERE StockNo = 'NEW-1'"_s).toLongLong(),
                 qint64(10 + 2999 * 3 + 1));
    }

    void refusesAndLeavesNothingBehind_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        QTest::newRow("no Sales table") << u"drop Sales"_s << u"it lacks the table Sales."_s;
        QTest::newRow("a word in a number column")
            << u"word in Inventory"_s
            << u"Row 3 of the table Products: the column Inventory cannot take the value 'many'"_s;
        QTest::newRow("a date that is none")
            << u"bad date"_s << u"the column Date In cannot take the value"_s;
    }
    void refusesAndLeavesNothingBehind() {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        MemoryTables old = oldCatalogue(10);
        if (damage == u"drop Sales"_s) {
            old.tables.remove(u"Sales"_s);
        } else if (damage == u"word in Inventory"_s) {
            auto& products = old.tables[u"PRODUCTS"_s];
            products.rows[2][columnAt(products, u"Inventory"_s)] = u"many"_s;
        } else {
            auto& inventory = old.tables[u"Inventory"_s];
            inventory.rows[4][columnAt(inventory, u"Date In"_s)] = u"soon"_s;
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(u"shop.mde"_s);
        QString why;
        QVERIFY(test::errorOf([&] { CatalogueConversion::convert(old, path); }, &why) != 0);
        QVERIFY2(why.contains(message), qPrintable(why));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{});
    }

    // Replacing: an older catalogue gives way once the new one is whole; the catalogue that
    // must stay is refused before any work (the output file test has every other refusal).
    void replacingTargets_data() {
        QTest::addColumn<QString>("target");  // in the folder that holds keep.mde
        QTest::addColumn<QString>("refusal"); // empty when replaced
        QTest::newRow("older catalogue") << u"older.mde"_s << QString();
        QTest::newRow("the kept catalogue's -wal")
            << u"keep.mde-wal"_s << u"is the open catalogue"_s;
    }
    void replacingTargets() {
        QFETCH(QString, target);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString keep = dir.filePath(u"keep.mde"_s);
        CatalogueDatabase::create(keep);
        CatalogueDatabase::create(dir.filePath(u"older.mde"_s));
        test::writeFile(keep + u"-wal"_s, "journal");
        const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        const QByteArray kept = test::readFile(keep);
        const QString path = dir.filePath(target);
        QString why;
        const int error = test::errorOf(
            [&] { CatalogueConversion::convertReplacing(oldCatalogue(3), path, keep); }, &why);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
        QCOMPARE(test::readFile(keep), kept);
        QCOMPARE(test::readFile(keep + u"-wal"_s), "journal"_ba);
        if (!refusal.isEmpty()) {
            QVERIFY(error != 0);
            QVERIFY2(why.contains(refusal), qPrintable(why));
            return;
        }
        QVERIFY2(error == 0, qPrintable(why));
        CatalogueDatabase replaced(path);
        QCOMPARE(replaced.scalar(u"SELECT count(*) FROM Products"_s).toInt(), 3);
    }

    void cancelLeavesNoCatalogue() {
        const MemoryTables old = oldCatalogue(2000);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"shop.mde"_s);
        qint64 seen = 0;
        qint64 total = 0;
        const ConversionResult result =
            CatalogueConversion::convert(old, path, [&](qint64 done, qint64 all) {
                seen = done;
                total = all;
                return done < 1000;
            });
        QVERIFY(result.cancelled);
        QCOMPARE(total, qint64(2000 + 35));
        QVERIFY(seen >= 1000);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{});
    }

    void missingAndExtraColumnsAreNamed() {
        MemoryTables old = oldCatalogue(3);
        auto& supplier = old.tables[u"Supplier"_s];
        supplier.columns[columnAt(supplier, u"TaxRate"_s)] = u"Rebate"_s;
        const ConversionPlan plan = CatalogueConversion::plan(old);
        QVERIFY(plan.usable());
        QCOMPARE(plan.emptyColumns, QStringList{u"Supplier.TaxRate"_s});
        QCOMPARE(plan.ignoredColumns, QStringList{u"Supplier.Rebate"_s});
    }

    // An old catalogue whose table cannot be read exactly hands on no row at all: the
    // conversion must not write a catalogue that lacks rows. Bytes of the first data page of
    // Products (page 569 of 2048 bytes) are flipped: the first row's position (rows passed
    // over without a word) or row data (libmdb complains).
    void damagedAccessTableHandsOnNoRow_data() {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QByteArray>("mask");
        QTest::newRow("rows passed over quietly") << qint64(10) << "\xff\x0f"_ba;
        QTest::newRow("libmdb complains") << qint64(0x700) << "\xff\xff\xff"_ba;
    }
    void damagedAccessTableHandsOnNoRow() {
        QFETCH(qint64, offset);
        QFETCH(QByteArray, mask);
        const QByteArray bytes =
            test::damagedTestFile(u"mdb/nwind_jet3.mdb"_s, 569 * 2048 + offset, mask);
        QVERIFY2(!bytes.isEmpty(), "test file missing: mdb/nwind_jet3.mdb");
        QTemporaryDir dir;
        const AccessTableSource source(test::writeFile(dir.filePath(u"old.mdb"_s), bytes));
        qint64 handedOn = 0;
        QCOMPARE(test::errorOf([&] {
                     source.readRows(u"Products"_s, [&](const QStringList&) {
                         ++handedOn;
                         return true;
                     });
                 }),
                 int(ErrorNumber::CannotOpenDatabase));
        QCOMPARE(handedOn, 0);
        QCOMPARE(test::errorOf([&] { source.rowCount(u"Products"_s); }),
                 int(ErrorNumber::CannotOpenDatabase));
    }

    void aCatalogueFileIsNotAnAccessFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"c.mde"_s);
        CatalogueDatabase::create(path);
        QVERIFY(!AccessTableSource::looksLikeAccessFile(path));
        QCOMPARE(CatalogueConversion::convertedPath(u"/x/shop.mdb"_s), u"/x/shop.mde"_s);
        QCOMPARE(CatalogueConversion::convertedPath(u"/x/shop.MDE"_s), u"/x/shop-converted.mde"_s);
    }
};

QTEST_GUILESS_MAIN(CatalogueConversionTest)
#include "tst_catalogueconversion.moc"
