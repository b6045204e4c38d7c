#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/RowWriter.h"
#include "support/core/CliRun.h"
#include "support/core/TestProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

QString mdb(const QString& name) {
    return test::testDataDir() + u"/mdb/"_s + name;
}

// A catalogue holding one product, written out completely.
QString makeCatalogue(const QTemporaryDir& dir) {
    const QString path = dir.filePath(u"catalogue.mde"_s);
    CatalogueDatabase::create(path);
    CatalogueDatabase db(path);
    RowWriter::insert(db, u"Products"_s,
                      {{CatalogueSchema::ProductsColumn::PID, 1},
                       {CatalogueSchema::ProductsColumn::StockNo, u"OLD-1"_s},
                       {CatalogueSchema::ProductsColumn::Cost1, 5.0}});
    db.checkpoint();
    return path;
}

// Runs an argument line; @db, @csv, @jet4, @mdb and @dir stand for the test files.
CliRun run(const QString& line, const QTemporaryDir& dir, const QString& catalogue) {
    return runProgram(argumentLine(line, {{u"@db"_s, catalogue},
                                          {u"@csv"_s, dir.filePath(u"prices.csv"_s)},
                                          {u"@jet4"_s, mdb(u"stock_inventory_jet4.mdb"_s)},
                                          {u"@mdb"_s, mdb(u"nwind_jet3.mdb"_s)},
                                          {u"@dir"_s, dir.path()}}));
}

} // namespace

// The import command as scripts use it.
class CliImportTest : public QObject {
    Q_OBJECT
private slots:
    void failuresChangeNothing_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const char* arguments, const char* message) {
            QTest::newRow(name) << QString::fromUtf8(arguments) << QString::fromUtf8(message);
        };
        const char* noStock = "You Did NOT Enter A Product ID/Stock Number!";
        row("missing catalogue", "import --db @dir/none.mde --source @csv --map 0=2", "none.mde");
        row("missing source", "import --db @db --source @dir/none.csv --map 0=2", "does not exist");
        row("no source at all", "import --db @db", "--source");
        row("typed divider not in the start line",
            "import --db @db --source @csv --divider # --map 0=2",
            "Sorry, #\n Is NOT A Valid Item Seperator!");
        row("divider too long", "import --db @db --source @csv --divider ;;; --map 0=2",
            "Sorry, that is not a valid choice!");
        row("no divider found", "import --db @db --source @dir/words.txt --map 0=2", "--divider");
        row("no stock number mapped", "import --db @db --source @csv --map 0=3,1=12", noStock);
        row("no mapping", "import --db @db --source @csv", noStock);
        row("refused code", "import --db @db --source @csv --map 0=2,1=23", "Inventory");
        row("malformed map", "import --db @db --source @csv --map 0:2", "POS=CODE");
        row("start line past the end", "import --db @db --source @csv --start-line 9 --map 0=2",
            "--start-line");
        row("unknown option", "import --db @db --source @csv --map 0=2 --colour", "--colour");
        row("missing price list", "--app-folder @dir import --db @db --supplier-file white,retail",
            "This Will Update Your Supplier's White Price List 'wp-cd.txt' file ONLY!");
        row("second price list missing",
            "--app-folder @dir/app import --db @db --supplier-file white,retail", "'sp-cd.txt'");
        row("unknown supplier file", "import --db @db --supplier-file green", "green");
        row("mapping given for a supplier file", "import --db @db --supplier-file white --map 0=2",
            "--supplier-file");
        row("database without table", "import --db @db --source @mdb --map 0=2", "Products");
        row("system table", "import --db @db --source @mdb --table MSysObjects --map 0=2",
            "** DON'T USE **");
        row("no such table", "import --db @db --source @mdb --table Widgets --map 0=2", "Widgets");
        row("folder as source", "import --db @db --source @dir --map 0=2",
            "is a folder, not a file");
        row("folder as database", "import --db @db --source @dir/folder.mdb --table T --map 0=2",
            "is a folder, not a file");
        row("cut-short database",
            "import --db @db --source @dir/cut.mdb --table Product_Table --map 2=2", "cut short");
        row("not a database", "import --db @db --source @dir/fake.mdb --table T --map 0=2",
            "fake.mdb");
    }
    void failuresChangeNothing() {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString catalogue = makeCatalogue(dir);
        writeTestFile(dir.filePath(u"prices.csv"_s), "A1,Pen,1.50\nA2,Pencil,0.75\n");
        writeTestFile(dir.filePath(u"words.txt"_s), "just words\nmore words\n");
        writeTestFile(dir.filePath(u"fake.mdb"_s), "not a database at all");
        writeTestFile(dir.filePath(u"app/Supplier/wp-cd.txt"_s), "A1,1,Pen,Each,1.50\n");
        QDir().mkpath(dir.filePath(u"folder.mdb"_s));
        const QByteArray jet4 = fileBytes(mdb(u"stock_inventory_jet4.mdb"_s));
        QVERIFY2(!jet4.isEmpty(), "test file missing: mdb/stock_inventory_jet4.mdb");
        writeTestFile(dir.filePath(u"cut.mdb"_s), jet4.left(jet4.size() / 2));
        const QByteArray before = fileBytes(catalogue);
        const CliRun r = run(arguments, dir, catalogue);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(fileBytes(catalogue), before);
        QVERIFY(!QFileInfo::exists(catalogue + u"-wal"_s) ||
                QFileInfo(catalogue + u"-wal"_s).size() == 0);
        QVERIFY(!QFileInfo::exists(dir.filePath(u"none.mde"_s)));
    }

    void textFileRun() {
        QTemporaryDir dir;
        const QString catalogue = makeCatalogue(dir);
        QByteArray lines = "Stock,Name,Price\n";
        for (int i = 1; i <= 2500; ++i)
            lines +=
                "N" + QByteArray::number(i) + ",\"Pen, red " + QByteArray::number(i) + "\",1.50\n";
        lines += "OLD-1,Old pen,$6\n";
        writeTestFile(dir.filePath(u"prices.csv"_s), lines);
        const CliRun r = run(u"import --db @db --source @csv --start-line 1 --map 0=2,1=3,2=7 "
                             u"--supplier Acme --note spring"_s,
                             dir, catalogue);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(
            r.outLines(),
            (QStringList{u"Getting Information From: prices.csv"_s,
                         u"Divider: comma, quoted fields read whole"_s,
                         u"Adding Product ID # N1000   Checked: 1000   New: 1000   Edited: 0"_s,
                         u"Adding Product ID # N2000   Checked: 2000   New: 2000   Edited: 0"_s,
                         u"Adding Product ID # OLD-1   Checked: 2501   New: 2500   Edited: 1"_s,
                         u"Total Checked: 2501   Total Added: 2500   Total Edited: 1"_s}));
        QCOMPARE(productCount(catalogue), 2501);
        QCOMPARE(productValue(catalogue, u"ProdName"_s, u"N7"_s), u"Pen, red 7"_s);
        QCOMPARE(productValue(catalogue, u"Supplier"_s, u"N7"_s), u"Acme"_s);
        // A leading currency sign belongs to the number.
        QCOMPARE(productValue(catalogue, u"Cost1"_s, u"OLD-1"_s), u"60000"_s);
        QCOMPARE(productValue(catalogue, u"Notes"_s, u"OLD-1"_s),
                 u"spring - Edited This Item\r\n"
                 u"   Changed: ProdName From '' To 'Old pen'\r\n"
                 u"   Changed: Cost1 From '5' To '6'\r\n"
                 u"   Changed: Supplier From '' To 'Acme'\r\n"_s);

        // Again with edit-only and the same file: everything is checked, nothing changes.
        const CliRun again = run(u"import --db @db --source @csv --start-line=1 "
                                 u"--map=0=2,1=3,2=7 --supplier=Acme --edit-only"_s,
                                 dir, catalogue);
        QCOMPARE(again.status, 0);
        QCOMPARE(again.outLines().last(),
                 u"Total Checked: 2501   Total Added: 0   Total Edited: 0"_s);
    }

    // A row the catalogue refuses is named on the error output; the rest of the file is written
    // and the totals are printed once.
    void refusedRowIsNamedAndTheRestWritten() {
        QTemporaryDir dir;
        const QString catalogue = makeCatalogue(dir);
        CatalogueDatabase(catalogue).run(
            u"CREATE TRIGGER refuse BEFORE INSERT ON Products WHEN new.StockNo = 'N2' "
            u"BEGIN SELECT RAISE(ABORT, 'refused by the shop'); END"_s);
        writeTestFile(dir.filePath(u"prices.csv"_s),
                      "N1,Pen,1\nN2,Ink,2\nN3,Cup,garden\nN4,Mug,4\n");
        const CliRun r = run(u"import --db @db --source @csv --map 0=2,1=3,2=18"_s, dir, catalogue);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains(u"passed over item N2: the catalogue refused it (refused by the "
                                u"shop)"_s),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains(u"passed over item N3, column Catagory: "_s), qPrintable(r.err));
        QCOMPARE(r.outLines().filter(u"Total Checked"_s),
                 QStringList{u"Total Checked: 3   Total Added: 3   Total Edited: 0"_s});
        QCOMPARE(productCount(catalogue), 4);
    }

    // Price lists are read white first whatever the order given; --skip-discontinued passes A3
    // over; TOVIN.MDB in lower case is read with the fixed mapping.
    void successfulRuns_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("first"); // empty: not looked at
        QTest::addColumn<QString>("totals");
        QTest::addColumn<QString>("where");
        QTest::addColumn<qint64>("count");
        QTest::newRow("two price lists")
            << u"--app-folder @dir/app import --db @db --supplier-file retail,white"_s
            << u"Getting Information From: wp-cd.txt"_s
            << u"Total Checked: 1   Total Added: 0   Total Edited: 1"_s
            << u"StockNo = 'A1' AND Retail = 39900 AND Cost1 = 15000"_s << qint64(1);
        QTest::newRow("stock file")
            << u"--app-folder @dir/app import --db @db --supplier-file stock --skip-discontinued"_s
            << QString() << u"Total Checked: 1   Total Added: 1   Total Edited: 0"_s
            << u"StockNo = 'A3'"_s << qint64(0);
        QTest::newRow("supplier file in capitals")
            << u"--app-folder @dir/upper import --db @db --supplier-file stock"_s
            << u"Getting Information From: STOCK.TXT"_s
            << u"Total Checked: 1   Total Added: 1   Total Edited: 0"_s
            << u"StockNo = 'U1' AND ProdName = '\"Brass Lamp'"_s << qint64(1);
        QTest::newRow("table with mapping")
            << u"import --db @db --source @jet4 --table Product_Table --map 2=2,3=3,6=12"_s
            << QString() << u"Total Checked: 96   Total Added: 96   Total Edited: 0"_s << u"1"_s
            << qint64(97);
        QTest::newRow("TOVIN.MDB in lower case")
            << u"import --db @db --source @dir/tovin.mdb"_s << QString()
            << u"Total Checked: 77   Total Added: 77   Total Edited: 0"_s << u"1"_s << qint64(78);
    }
    void successfulRuns() {
        QFETCH(QString, arguments);
        QFETCH(QString, first);
        QFETCH(QString, totals);
        QFETCH(QString, where);
        QFETCH(qint64, count);
        QTemporaryDir dir;
        const QString catalogue = makeCatalogue(dir);
        const QString app = dir.filePath(u"app/Supplier/"_s);
        writeTestFile(app + u"wp-cd.txt"_s, "A1,12,Red Pen,Box,1.50\nA2,12,Ink,Each,2\n");
        writeTestFile(app + u"sp-cd.txt"_s, "A1,12,Red Pen,Box,3.99\n");
        writeTestFile(app + u"stock.txt"_s,
                      "A2]Ink]1]2]3]4]Each]-]-]x]N]x]Y\nA3]Old]1]2]3]4]Each]-]-]x]Y]x]N\n");
        writeTestFile(dir.filePath(u"upper/SUPPLIER/STOCK.TXT"_s),
                      "U1]\"Brass Lamp]1]2]3]4]Each\n");
        QVERIFY(QFile::copy(mdb(u"nwind_jet3.mdb"_s), dir.filePath(u"tovin.mdb"_s)));
        const CliRun r = run(arguments, dir, catalogue);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        if (!first.isEmpty())
            QCOMPARE(r.outLines().first(), first);
        QCOMPARE(r.outLines().last(), totals);
        QCOMPARE(productCount(catalogue, where), count);
    }
};

QTEST_GUILESS_MAIN(CliImportTest)
#include "tst_cli_import.moc"
