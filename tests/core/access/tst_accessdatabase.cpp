#include "core/access/AccessDatabase.h"
#include "core/access/AccessValueText.h"
#include "core/base/RunTimeError.h"
#include "support/core/TestData.h"
#include "support/core/TestHelpers.h"
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
    return tovin::test::testDataFile(u"mdb/"_s + name);
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

} // namespace

class TestAccessDatabase : public QObject {
    Q_OBJECT

private slots:
    // The tables in the file's order; system tables (named MSys...) are counted, not named.
    void tableList_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("systemTables");
        QTest::addColumn<QStringList>("tables");
        QTest::newRow("Jet 3") << u"nwind_jet3.mdb"_s << 10
                               << names("Order Details|Orders|Products|Shippers|Categories|"
                                        "Customers|Employees|Suppliers|Umsätze");
        QTest::newRow("Jet 4") << u"barcode_inventory_jet4.mdb"_s << 6
                               << names("xxgs_pos_stocks_v|xxgs_pos_bar_code_v|Paste Errors");
        QTest::newRow("ACE 12") << u"asset_sample_ace12.accdb"_s << 20 << names("Asset Items");
    }

    void tableList() {
        QFETCH(QString, file);
        QFETCH(int, systemTables);
        QFETCH(QStringList, tables);
        REQUIRE_TEST_FILE(mdbFile(file));
        const AccessDatabase db(mdbFile(file));
        const QStringList all = db.tableNames();
        QStringList user;
        for (const QString& table : all)
            if (!table.startsWith(u"MSys"_s))
                user << table;
        QCOMPARE(user, tables);
        QCOMPARE(all.size() - user.size(), systemTables);

        // The offered list keeps every position, so a picked index names the table.
        const QStringList choices = db.tableChoiceList();
        QCOMPARE(choices.size(), all.size());
        for (qsizetype i = 0; i < all.size(); ++i) {
            const bool system = all.at(i).startsWith(u"MSys"_s);
            QCOMPARE(AccessDatabase::isSystemTable(all.at(i)), system);
            QCOMPARE(choices.at(i), system ? u"** DON'T USE **"_s : all.at(i));
        }
        QVERIFY(AccessDatabase::isSystemTable(u"tmpmsysCopy"_s));
    }

    // Column names (when listed) and the rows counted and delivered.
    void tables_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<qint64>("rows");
        const QString nwind = u"nwind_jet3.mdb"_s;
        const QString stock = u"stock_inventory_jet4.mdb"_s;
        const QString barcode = u"barcode_inventory_jet4.mdb"_s;
        QTest::newRow("Jet 3")
            << nwind << u"Products"_s
            << names("ProductID|ProductName|SupplierID|CategoryID|QuantityPerUnit|"
                     "UnitPrice|UnitsInStock|UnitsOnOrder|ReorderLevel|Discontinued")
            << qint64(77);
        QTest::newRow("Jet 4") << stock << u"Product_Table"_s
                               << names("Supplier_Name|Classification|Code|Article|Mktg_Price|"
                                        "Cost_Price|Selling_Price|ID|Status|QTY|Critical_Level")
                               << qint64(96);
        QTest::newRow("ACE 12, names with blanks")
            << u"asset_sample_ace12.accdb"_s << u"Asset Items"_s
            << names("Asset No|Asset Category|Make|Model|Description|Owner|Serial No|Acquired|Cost|"
                     "Warranty|Tax Scale|Supplier No|Comments")
            << qint64(65);
        QTest::newRow("name in another case")
            << nwind << u"SHIPPERS"_s << names("ShipperID|CompanyName|Phone") << qint64(3);
        QTest::newRow("Umsätze") << nwind << u"Umsätze"_s << QStringList() << qint64(830);
        QTest::newRow("empty system table")
            << stock << u"MSysAccessXML"_s << QStringList() << qint64(0);
        // These two tables' definitions keep stale counts (132 and 97); the rows stored count.
        QTest::newRow("stale count above")
            << barcode << u"xxgs_pos_stocks_v"_s << QStringList() << qint64(65);
        QTest::newRow("stale count below")
            << barcode << u"xxgs_pos_bar_code_v"_s << QStringList() << qint64(98);
    }
    void tables() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QFETCH(qint64, rows);
        REQUIRE_TEST_FILE(mdbFile(file));
        const AccessDatabase db(mdbFile(file));
        if (!columns.isEmpty())
            QCOMPARE(db.columnNames(table), columns);
        QCOMPARE(db.rowCount(table), rows);
        const qsizetype width = db.columnNames(table).size();
        qint64 delivered = 0;
        db.readRows(table, [&](const QStringList& values) {
            ++delivered;
            return values.size() == width;
        });
        QCOMPARE(delivered, rows);
    }

    // Each row names the file, then table|key column|key|column, and the text read.
    void values_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("expected");
        const QString nwind = u"nwind_jet3.mdb"_s;
        const QString stock = u"stock_inventory_jet4.mdb"_s;
        const QString ace = u"asset_sample_ace12.accdb"_s;
        const auto row = [](const char* name, const QString& file, const char* where,
                            const QString& expected) {
            QTest::newRow(name) << file << QString::fromUtf8(where) << expected;
        };
        row("Jet 3 code page text", nwind, "Products|ProductID|22|ProductName",
            u"Gustaf's Knäckebröd"_s);
        row("money with cents", nwind, "Products|ProductID|5|UnitPrice", u"21.35"_s);
        row("16-bit integer", nwind, "Products|ProductID|22|UnitsInStock", u"104"_s);
        row("yes", nwind, "Products|ProductID|5|Discontinued", u"True"_s);
        row("single without noise", nwind, "Order Details|OrderID|10251|Discount", u"0.05"_s);
        row("date", nwind, "Orders|OrderID|10330|OrderDate", u"11/16/1994"_s);
        row("null text", nwind, "Orders|OrderID|10331|ShipRegion", QString());
        row("text in non-ASCII table", nwind, "Umsätze|OrderID|10330|ShipAddress",
            u"Carrera 52 con Ave. Bolívar #65-98 Llano Largo"_s);
        row("text with line break", nwind, "Employees|EmployeeID|1|Address",
            u"507 - 20th Ave. E.\r\nApt. 2A"_s);
        row("picture", nwind, "Employees|EmployeeID|1|Photo", QString());
        row("memo", nwind, "Employees|EmployeeID|9|Notes",
            u"Anne has a BA degree in English from St. Lawrence College.  She is fluent in French "
            u"and German."_s);
        row("hyperlink memo", nwind, "Suppliers|SupplierID|2|HomePage", u"#CAJUN.HTM#"_s);
        row("Jet 4 long integer", stock, "Product_Table|ID|1|Selling_Price", u"260"_s);
        row("Jet 4 number kept as text", stock, "Product_Table|ID|1|QTY", u"20"_s);
        row("Jet 4 non-ASCII text", stock, "Customer_Table|ID|3|Address",
            u"245 QUIRINO AVE., BACLARAN, PARAÑAQUE"_s);
        row("Jet 4 memo", u"barcode_inventory_jet4.mdb"_s,
            "Paste Errors|Field0|101-1003-000004|Field2",
            u"Chromira 5x50 Ra4 Digital Prin ** Lab & Accessories"_s);
        row("ACE date", ace, "Asset Items|Asset No|30050|Acquired", u"09/02/1997"_s);
        row("ACE money", ace, "Asset Items|Asset No|30050|Cost", u"1995.5"_s);
        row("ACE null memo", ace, "Asset Items|Asset No|30050|Comments", QString());
    }
    void values() {
        QFETCH(QString, file);
        QFETCH(QString, where);
        QFETCH(QString, expected);
        const QStringList part = where.split(u'|');
        REQUIRE_TEST_FILE(mdbFile(file));
        const AccessDatabase db(mdbFile(file));
        const QStringList found = rowWhere(db, part[0], part[1], part[2]);
        QVERIFY2(!found.isEmpty(), qPrintable(u"no row where "_s + where));
        QCOMPARE(found.at(db.columnNames(part[0]).indexOf(part[3])), expected);
    }

    void textIgnoresConversionEnvironment() {
        // libmdb picks its text conversion from the environment; the reader must not follow it.
        const QByteArray saved = qgetenv("MDBICONV");
        qputenv("MDBICONV", "ISO-8859-1");
        REQUIRE_TEST_FILE(mdbFile(u"nwind_jet3.mdb"_s));
        REQUIRE_TEST_FILE(mdbFile(u"stock_inventory_jet4.mdb"_s));
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

    void readingStopsOrIsInterrupted() {
        REQUIRE_TEST_FILE(mdbFile(u"nwind_jet3.mdb"_s));
        const AccessDatabase db(mdbFile(u"nwind_jet3.mdb"_s));
        QStringList seen;
        db.readRows(u"Orders"_s, [&](const QStringList& values) {
            seen.append(values.first());
            return seen.size() < 3;
        });
        QCOMPARE(seen, (QStringList{u"10330"_s, u"10331"_s, u"10332"_s}));
        // A new reading starts again at the first row.
        QCOMPARE(rowWhere(db, u"Orders"_s, u"OrderID"_s, u"10330"_s).value(1), u"LILAS"_s);
        // Other calls in the middle of a reading do not disturb it.
        const auto details = [&](bool interrupt) {
            QStringList read;
            db.readRows(u"Order Details"_s, [&](const QStringList& values) {
                read.append(values.join(u'|'));
                if (interrupt && read.size() % 500 == 1) {
                    db.columnNames(u"Products"_s);
                    db.rowCount(u"Customers"_s);
                    rowWhere(db, u"Shippers"_s, u"ShipperID"_s, u"2"_s);
                }
                return true;
            });
            return read;
        };
        const QStringList interrupted = details(true);
        QCOMPARE(interrupted.size(), qsizetype(2155));
        QCOMPARE(interrupted, details(false));
    }

    void unknownTable() {
        REQUIRE_TEST_FILE(mdbFile(u"nwind_jet3.mdb"_s));
        const AccessDatabase db(mdbFile(u"nwind_jet3.mdb"_s));
        const QString table = u"Product"_s;
        const auto readAll = [](const QStringList&) { return true; };
        QCOMPARE(tovin::test::errorOf([&] { db.columnNames(table); }), ErrorNumber::ItemNotFound);
        QCOMPARE(tovin::test::errorOf([&] { db.rowCount(table); }), ErrorNumber::ItemNotFound);
        QCOMPARE(tovin::test::errorOf([&] { db.readRows(table, readAll); }),
                 ErrorNumber::ItemNotFound);
    }

    void refusedFile_data() {
        QFile nwind(mdbFile(u"nwind_jet3.mdb"_s));
        QVERIFY(nwind.open(QIODevice::ReadOnly));
        const QByteArray real = nwind.readAll();
        QByteArray unknownVersion = real;
        unknownVersion[0x14] = char(0x42);
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<int>("error");
        const int cannotOpen = ErrorNumber::CannotOpenDatabase;
        QTest::newRow("missing file") << QByteArray() << int(ErrorNumber::FileNotFound);
        QTest::newRow("empty file") << QByteArray("") << cannotOpen;
        QTest::newRow("text file")
            << QByteArray("ProductID,ProductName\r\n1,Chai\r\n") << cannotOpen;
        QTest::newRow("first page only") << real.left(2048) << cannotOpen;
        QTest::newRow("header, then nothing but zeros")
            << real.left(2048) + QByteArray(40960, '\0') << cannotOpen;
        QTest::newRow("unknown engine version") << unknownVersion << cannotOpen;
    }
    void refusedFile() {
        QFETCH(QByteArray, content);
        QFETCH(int, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"data.mdb"_s);
        QFile file(path);
        if (!content.isNull()) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
            file.close();
        }
        QCOMPARE(tovin::test::errorOf([&] { AccessDatabase{path}; }), error);
        QCOMPARE(tovin::test::errorOf([&] { AccessDatabase{dir.path()}; }),
                 ErrorNumber::CannotOpenDatabase);
    }

    // Stored values as the import reads them.
    void valueText_data() {
        using namespace tovin::AccessValueText;
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("day zero") << dateText(0.0) << u"12/30/1899"_s;
        QTest::newRow("noon") << dateText(35000.5) << u"10/28/1995 12:00:00"_s;
        QTest::newRow("before day zero, time counts forward")
            << dateText(-1.25) << u"12/29/1899 06:00:00"_s;
        QTest::newRow("rounds up to midnight") << dateText(36525.9999999) << u"01/01/2000"_s;
        QTest::newRow("last second of the day")
            << dateText(36525.0 + 86399.0 / 86400.0) << u"12/31/1999 23:59:59"_s;
        QTest::newRow("no date") << dateText(std::nan("")) << QString();
        QTest::newRow("past the year 9999") << dateText(3e6) << QString();
        QTest::newRow("cents") << moneyText(213500) << u"21.35"_s;
        QTest::newRow("smallest negative money") << moneyText(-1) << u"-0.0001"_s;
        QTest::newRow("money beyond a double's digits")
            << moneyText(std::numeric_limits<qint64>::min()) << u"-922337203685477.5808"_s;
        QTest::newRow("decimal") << decimalText(false, {0, 0, 0, 12345}, 2) << u"123.45"_s;
        QTest::newRow("negative decimal") << decimalText(true, {0, 0, 0, 5}, 3) << u"-0.005"_s;
        QTest::newRow("negative zero") << decimalText(true, {0, 0, 0, 0}, 2) << u"0"_s;
        QTest::newRow("decimal above 64 bits")
            << decimalText(false, {0, 1, 0, 0}, 0) << u"18446744073709551616"_s;
        QTest::newRow("decimal trailing zeros")
            << decimalText(false, {0, 0, 0, 1500}, 2) << u"15"_s;
        QTest::newRow("large single") << singleText(1e10f) << u"10000000000"_s;
        QTest::newRow("small double") << doubleText(1e-7) << u"0.0000001"_s;
    }
    void valueText() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }
};

QTEST_GUILESS_MAIN(TestAccessDatabase)
#include "tst_accessdatabase.moc"
