#include "core/data/AccessDatabase.h"
#include "core/data/AccessValueText.h"
#include "core/shell/RunTimeError.h"
#include "support/core/TestProgramFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;
using tovin::AccessDatabase;
using tovin::RunTimeError;
namespace ErrorNumber = tovin::ErrorNumber;

namespace {

// A list written as one text with "|" between the names.
QStringList names(const char* list) {
    return QString::fromUtf8(list).split(u'|');
}

QString mdbFile(const QString& name) {
    return tovin::test::testDataDir() + u"/mdb/"_s + name;
}

// The values of the first row whose column `keyColumn` holds `key`.
QStringList rowWhere(const AccessDatabase& db, const QString& table, const QString& keyColumn,
                     const QString& key) {
    const qsizetype keyIndex = db.columnNames(table).indexOf(keyColumn);
    QStringList found;
    db.readRows(table, [&](const QStringList& values) {
        if (values.value(keyIndex) != key)
            return true;
        found = values;
        return false;
    });
    return found;
}

int errorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RunTimeError& error) {
        return error.number();
    }
    return 0;
}

} // namespace

class TestAccessDatabase : public QObject {
    Q_OBJECT

private slots:
    void tableList_data();
    void tableList();
    void columnNames_data();
    void columnNames();
    void rowCount_data();
    void rowCount();
    void values_data();
    void values();
    void textIgnoresConversionEnvironment();
    void callbackStopsReading();
    void otherCallsWhileReading();
    void unknownTable_data();
    void unknownTable();
    void missingFile();
    void unreadableFile_data();
    void unreadableFile();
    void dateText_data();
    void dateText();
    void moneyText_data();
    void moneyText();
    void numberTexts();
};

void TestAccessDatabase::tableList_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("tables");
    QTest::newRow("Jet 3") << u"nwind_jet3.mdb"_s
                           << names("MSysObjects|MSysACEs|MSysQueries|MSysRelationships|"
                                    "MSysIMEXColumns|MSysIMEXSpecs|MSysModules|Order Details|"
                                    "Orders|Products|Shippers|Categories|Customers|Employees|"
                                    "MSysCmdbars|MSysModules2|Suppliers|MSysAccessObjects|Umsätze");
    QTest::newRow("Jet 4") << u"barcode_inventory_jet4.mdb"_s
                           << names("MSysObjects|MSysACEs|MSysQueries|MSysRelationships|"
                                    "MSysAccessObjects|xxgs_pos_stocks_v|MSysAccessXML|"
                                    "xxgs_pos_bar_code_v|Paste Errors");
    QTest::newRow("ACE 12")
        << u"asset_sample_ace12.accdb"_s
        << names("MSysObjects|MSysACEs|MSysQueries|MSysRelationships|MSysComplexColumns|"
                 "MSysComplexType_UnsignedByte|MSysComplexType_Short|MSysComplexType_Long|"
                 "MSysComplexType_IEEESingle|MSysComplexType_IEEEDouble|MSysComplexType_GUID|"
                 "MSysComplexType_Decimal|MSysComplexType_Text|MSysComplexType_Attachment|"
                 "Asset Items|MSysAccessStorage|MSysAccessXML|MSysNavPaneGroups|"
                 "MSysNavPaneObjectIDs|MSysNavPaneGroupCategories|MSysNavPaneGroupToObjects");
}

void TestAccessDatabase::tableList() {
    QFETCH(QString, file);
    QFETCH(QStringList, tables);
    const AccessDatabase db(mdbFile(file));
    QCOMPARE(db.tableNames(), tables);

    // The offered list keeps every position, so a picked index names the table.
    const QStringList choices = db.tableChoiceList();
    QCOMPARE(choices.size(), tables.size());
    for (qsizetype i = 0; i < tables.size(); ++i) {
        const bool system = tables.at(i).startsWith(u"MSys"_s);
        QCOMPARE(AccessDatabase::isSystemTable(tables.at(i)), system);
        QCOMPARE(choices.at(i), system ? u"** DON'T USE **"_s : tables.at(i));
    }
    QVERIFY(AccessDatabase::isSystemTable(u"tmpmsysCopy"_s));
}

void TestAccessDatabase::columnNames_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("Jet 3") << u"nwind_jet3.mdb"_s << u"Products"_s
                           << names(
                                  "ProductID|ProductName|SupplierID|CategoryID|QuantityPerUnit|"
                                  "UnitPrice|UnitsInStock|UnitsOnOrder|ReorderLevel|Discontinued");
    QTest::newRow("Jet 4") << u"stock_inventory_jet4.mdb"_s << u"Product_Table"_s
                           << names("Supplier_Name|Classification|Code|Article|Mktg_Price|"
                                    "Cost_Price|Selling_Price|ID|Status|QTY|Critical_Level");
    QTest::newRow("ACE 12, names with blanks")
        << u"asset_sample_ace12.accdb"_s << u"Asset Items"_s
        << names("Asset No|Asset Category|Make|Model|Description|Owner|Serial No|Acquired|Cost|"
                 "Warranty|Tax Scale|Supplier No|Comments");
    QTest::newRow("name in another case")
        << u"nwind_jet3.mdb"_s << u"SHIPPERS"_s << names("ShipperID|CompanyName|Phone");
}

void TestAccessDatabase::columnNames() {
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    const AccessDatabase db(mdbFile(file));
    QCOMPARE(db.columnNames(table), columns);
}

void TestAccessDatabase::rowCount_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<qint64>("rows");
    const QString nwind = u"nwind_jet3.mdb"_s;
    QTest::newRow("Order Details") << nwind << u"Order Details"_s << qint64(2155);
    QTest::newRow("Orders") << nwind << u"Orders"_s << qint64(830);
    QTest::newRow("Products") << nwind << u"Products"_s << qint64(77);
    QTest::newRow("Umsätze") << nwind << u"Umsätze"_s << qint64(830);
    QTest::newRow("Product_Table")
        << u"stock_inventory_jet4.mdb"_s << u"Product_Table"_s << qint64(96);
    QTest::newRow("empty system table")
        << u"stock_inventory_jet4.mdb"_s << u"MSysAccessXML"_s << qint64(0);
    QTest::newRow("Paste Errors") << u"barcode_inventory_jet4.mdb"_s << u"Paste Errors"_s
                                  << qint64(21);
    // These two tables' definitions keep stale counts (132 and 97); the rows stored are counted.
    QTest::newRow("stale count above")
        << u"barcode_inventory_jet4.mdb"_s << u"xxgs_pos_stocks_v"_s << qint64(65);
    QTest::newRow("stale count below")
        << u"barcode_inventory_jet4.mdb"_s << u"xxgs_pos_bar_code_v"_s << qint64(98);
    QTest::newRow("Asset Items") << u"asset_sample_ace12.accdb"_s << u"Asset Items"_s << qint64(65);
}

void TestAccessDatabase::rowCount() {
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(qint64, rows);
    const AccessDatabase db(mdbFile(file));
    QCOMPARE(db.rowCount(table), rows);
    const qsizetype columns = db.columnNames(table).size();
    qint64 delivered = 0;
    db.readRows(table, [&](const QStringList& values) {
        ++delivered;
        return values.size() == columns;
    });
    QCOMPARE(delivered, rows);
}

void TestAccessDatabase::values_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("keyColumn");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("expected");
    const QString nwind = u"nwind_jet3.mdb"_s;
    const QString stock = u"stock_inventory_jet4.mdb"_s;
    const QString ace = u"asset_sample_ace12.accdb"_s;
    auto row = [](const char* name, const QString& file, const QString& table,
                  const char* keyColumn, const char* key, const char* column,
                  const QString& expected) {
        QTest::newRow(name) << file << table << QString::fromUtf8(keyColumn)
                            << QString::fromUtf8(key) << QString::fromUtf8(column) << expected;
    };
    row("Jet 3 code page text", nwind, u"Products"_s, "ProductID", "22", "ProductName",
        u"Gustaf's Knäckebröd"_s);
    row("Jet 3 sharp s", nwind, u"Products"_s, "ProductID", "25", "ProductName",
        u"NuNuCa Nuß-Nougat-Creme"_s);
    row("money with cents", nwind, u"Products"_s, "ProductID", "5", "UnitPrice", u"21.35"_s);
    row("whole money", nwind, u"Products"_s, "ProductID", "22", "UnitPrice", u"21"_s);
    row("16-bit integer", nwind, u"Products"_s, "ProductID", "22", "UnitsInStock", u"104"_s);
    row("yes", nwind, u"Products"_s, "ProductID", "5", "Discontinued", u"True"_s);
    row("no", nwind, u"Products"_s, "ProductID", "22", "Discontinued", u"False"_s);
    row("single without noise", nwind, u"Order Details"_s, "OrderID", "10251", "Discount",
        u"0.05"_s);
    row("date", nwind, u"Orders"_s, "OrderID", "10330", "OrderDate", u"11/16/1994"_s);
    row("null text", nwind, u"Orders"_s, "OrderID", "10331", "ShipRegion", QString());
    row("text in non-ASCII table", nwind, u"Umsätze"_s, "OrderID", "10330", "ShipAddress",
        u"Carrera 52 con Ave. Bolívar #65-98 Llano Largo"_s);
    row("null number", nwind, u"Employees"_s, "EmployeeID", "2", "ReportsTo", QString());
    row("text with line break", nwind, u"Employees"_s, "EmployeeID", "1", "Address",
        u"507 - 20th Ave. E.\r\nApt. 2A"_s);
    row("picture", nwind, u"Employees"_s, "EmployeeID", "1", "Photo", QString());
    row("memo", nwind, u"Employees"_s, "EmployeeID", "9", "Notes",
        u"Anne has a BA degree in English from St. Lawrence College.  She is fluent in French "
        u"and German."_s);
    row("hyperlink memo", nwind, u"Suppliers"_s, "SupplierID", "2", "HomePage", u"#CAJUN.HTM#"_s);
    row("Jet 4 text", stock, u"Product_Table"_s, "ID", "1", "Code", u"P-RUBY1-MB"_s);
    row("Jet 4 long integer", stock, u"Product_Table"_s, "ID", "1", "Selling_Price", u"260"_s);
    row("Jet 4 number kept as text", stock, u"Product_Table"_s, "ID", "1", "QTY", u"20"_s);
    row("Jet 4 non-ASCII text", stock, u"Customer_Table"_s, "ID", "3", "Address",
        u"245 QUIRINO AVE., BACLARAN, PARAÑAQUE"_s);
    row("Jet 4 memo", u"barcode_inventory_jet4.mdb"_s, u"Paste Errors"_s, "Field0",
        "101-1003-000004", "Field2", u"Chromira 5x50 Ra4 Digital Prin ** Lab & Accessories"_s);
    row("ACE date", ace, u"Asset Items"_s, "Asset No", "30050", "Acquired", u"09/02/1997"_s);
    row("ACE money", ace, u"Asset Items"_s, "Asset No", "30050", "Cost", u"1995.5"_s);
    row("ACE null memo", ace, u"Asset Items"_s, "Asset No", "30050", "Comments", QString());
}

void TestAccessDatabase::values() {
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(QString, keyColumn);
    QFETCH(QString, key);
    QFETCH(QString, column);
    QFETCH(QString, expected);
    const AccessDatabase db(mdbFile(file));
    const QStringList found = rowWhere(db, table, keyColumn, key);
    QVERIFY2(!found.isEmpty(), qPrintable(u"no row with %1 = %2"_s.arg(keyColumn, key)));
    QCOMPARE(found.at(db.columnNames(table).indexOf(column)), expected);
}

void TestAccessDatabase::textIgnoresConversionEnvironment() {
    // libmdb picks its text conversion from the environment; the reader must not follow it.
    const QByteArray saved = qgetenv("MDBICONV");
    qputenv("MDBICONV", "ISO-8859-1");
    const AccessDatabase jet3(mdbFile(u"nwind_jet3.mdb"_s));
    const AccessDatabase jet4(mdbFile(u"stock_inventory_jet4.mdb"_s));
    if (saved.isNull())
        qunsetenv("MDBICONV");
    else
        qputenv("MDBICONV", saved);
    QVERIFY(jet3.tableNames().contains(u"Umsätze"_s));
    QCOMPARE(rowWhere(jet3, u"Products"_s, u"ProductID"_s, u"26"_s).value(1),
             u"Gumbär Gummibärchen"_s);
    QCOMPARE(rowWhere(jet4, u"Customer_Table"_s, u"ID"_s, u"4"_s).value(1),
             u"4707 DR A. SANTOS AVE., PARAÑAQUE CITY"_s);
}

void TestAccessDatabase::callbackStopsReading() {
    const AccessDatabase db(mdbFile(u"nwind_jet3.mdb"_s));
    QStringList seen;
    db.readRows(u"Orders"_s, [&](const QStringList& values) {
        seen.append(values.first());
        return seen.size() < 3;
    });
    QCOMPARE(seen, (QStringList{u"10330"_s, u"10331"_s, u"10332"_s}));
    // A new reading starts again at the first row.
    QCOMPARE(rowWhere(db, u"Orders"_s, u"OrderID"_s, u"10330"_s).value(1), u"LILAS"_s);
}

void TestAccessDatabase::otherCallsWhileReading() {
    const AccessDatabase db(mdbFile(u"nwind_jet3.mdb"_s));
    QStringList plain;
    db.readRows(u"Order Details"_s, [&](const QStringList& values) {
        plain.append(values.join(u'|'));
        return true;
    });
    QStringList interrupted;
    db.readRows(u"Order Details"_s, [&](const QStringList& values) {
        interrupted.append(values.join(u'|'));
        if (interrupted.size() % 500 == 1) {
            db.columnNames(u"Products"_s);
            db.rowCount(u"Customers"_s);
            rowWhere(db, u"Shippers"_s, u"ShipperID"_s, u"2"_s);
        }
        return true;
    });
    QCOMPARE(interrupted.size(), qsizetype(2155));
    QCOMPARE(interrupted, plain);
}

void TestAccessDatabase::unknownTable_data() {
    QTest::addColumn<int>("call");
    QTest::newRow("columnNames") << 0;
    QTest::newRow("rowCount") << 1;
    QTest::newRow("readRows") << 2;
}

void TestAccessDatabase::unknownTable() {
    QFETCH(int, call);
    const AccessDatabase db(mdbFile(u"nwind_jet3.mdb"_s));
    const QString table = u"Product"_s;
    const int number = errorNumberOf([&] {
        if (call == 0)
            db.columnNames(table);
        else if (call == 1)
            db.rowCount(table);
        else
            db.readRows(table, [](const QStringList&) { return true; });
    });
    QCOMPARE(number, ErrorNumber::ItemNotFound);
}

void TestAccessDatabase::missingFile() {
    const int number = errorNumberOf([] { AccessDatabase{mdbFile(u"no_such_file.mdb"_s)}; });
    QCOMPARE(number, ErrorNumber::FileNotFound);
}

void TestAccessDatabase::unreadableFile_data() {
    QFile nwind(mdbFile(u"nwind_jet3.mdb"_s));
    QVERIFY(nwind.open(QIODevice::ReadOnly));
    const QByteArray real = nwind.readAll();
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text file") << QByteArrayLiteral("ProductID,ProductName\r\n1,Chai\r\n");
    QTest::newRow("first page only") << real.left(2048);
    QTest::newRow("header, then nothing but zeros") << real.left(2048) + QByteArray(40960, '\0');
    QByteArray unknownVersion = real;
    unknownVersion[0x14] = char(0x42);
    QTest::newRow("unknown engine version") << unknownVersion;
}

void TestAccessDatabase::unreadableFile() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"data.mdb"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QCOMPARE(errorNumberOf([&] { AccessDatabase{path}; }), ErrorNumber::CannotOpenDatabase);
    QCOMPARE(errorNumberOf([&] { AccessDatabase{dir.path()}; }), ErrorNumber::CannotOpenDatabase);
}

void TestAccessDatabase::dateText_data() {
    QTest::addColumn<double>("days");
    QTest::addColumn<QString>("expected");
    QTest::newRow("day zero") << 0.0 << u"12/30/1899"_s;
    QTest::newRow("date only") << 35000.0 << u"10/28/1995"_s;
    QTest::newRow("noon") << 35000.5 << u"10/28/1995 12:00:00"_s;
    QTest::newRow("before day zero, time counts forward") << -1.25 << u"12/29/1899 06:00:00"_s;
    QTest::newRow("rounds up to midnight") << 36525.9999999 << u"01/01/2000"_s;
    QTest::newRow("last second of the day")
        << 36525.0 + 86399.0 / 86400.0 << u"12/31/1999 23:59:59"_s;
    QTest::newRow("no date") << std::nan("") << QString();
    QTest::newRow("past the year 9999") << 3e6 << QString();
}

void TestAccessDatabase::dateText() {
    QFETCH(double, days);
    QFETCH(QString, expected);
    QCOMPARE(tovin::AccessValueText::dateText(days), expected);
}

void TestAccessDatabase::moneyText_data() {
    QTest::addColumn<qint64>("tenThousandths");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << qint64(0) << u"0"_s;
    QTest::newRow("whole") << qint64(180000) << u"18"_s;
    QTest::newRow("cents") << qint64(213500) << u"21.35"_s;
    QTest::newRow("smallest negative") << qint64(-1) << u"-0.0001"_s;
    QTest::newRow("beyond a double's digits")
        << std::numeric_limits<qint64>::min() << u"-922337203685477.5808"_s;
}

void TestAccessDatabase::moneyText() {
    QFETCH(qint64, tenThousandths);
    QFETCH(QString, expected);
    QCOMPARE(tovin::AccessValueText::moneyText(tenThousandths), expected);
}

void TestAccessDatabase::numberTexts() {
    using namespace tovin::AccessValueText;
    QCOMPARE(decimalText(false, {0, 0, 0, 12345}, 2), u"123.45"_s);
    QCOMPARE(decimalText(true, {0, 0, 0, 5}, 3), u"-0.005"_s);
    QCOMPARE(decimalText(true, {0, 0, 0, 0}, 2), u"0"_s);
    QCOMPARE(decimalText(false, {0, 1, 0, 0}, 0), u"18446744073709551616"_s);
    QCOMPARE(decimalText(false, {0, 0, 0, 1500}, 2), u"15"_s);
    QCOMPARE(singleText(0.05f), u"0.05"_s);
    QCOMPARE(singleText(1e10f), u"10000000000"_s);
    QCOMPARE(doubleText(1e-7), u"0.0000001"_s);
}

QTEST_GUILESS_MAIN(TestAccessDatabase)
#include "tst_accessdatabase.moc"
