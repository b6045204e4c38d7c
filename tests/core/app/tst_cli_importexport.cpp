#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/RowWriter.h"
#include "support/core/CliRun.h"
#include "support/core/RefusingTrigger.h"
#include "support/core/TestData.h"
#include "support/core/TestProgramFolder.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

QString mdb(const QString& name) {
    return testDataDir() + u"/mdb/"_s + name;
}

// The catalogue of one case: cat.mde in the case's folder, or a database of its own on the test
// cluster when the test runs on the server. It holds one product OLD-1 costing 5, or two
// products A1 and B2 of supplier Old and a supplier Acme Tools, written out completely.
class CaseCatalogue {
public:
    explicit CaseCatalogue(const QTemporaryDir& dir, bool twoProducts = false) : m_dir(dir) {
        if (onServer())
            m_server = std::make_unique<ServerDatabase>();
        CatalogueDatabase::create(location());
        CatalogueDatabase db(location());
        if (twoProducts) {
            for (const auto& [pid, stockNo, retail, cost] :
                 {std::tuple{1, u"A1"_s, 10.0, 5.0}, std::tuple{2, u"B2"_s, 20.0, 6.0}})
                RowWriter::insert(db, u"Products"_s,
                                  {{PC::PID, pid},
                                   {PC::StockNo, stockNo},
                                   {PC::Retail, retail},
                                   {PC::Supplier, u"Old"_s},
                                   {PC::Cost1, cost}});
            RowWriter::insert(db, u"Supplier"_s, {{0, 1}, {1, u"Acme Tools"_s}});
        } else {
            RowWriter::insert(db, u"Products"_s,
                              {{PC::PID, 1}, {PC::StockNo, u"OLD-1"_s}, {PC::Cost1, 5.0}});
        }
        db.checkpoint();
    }

    // A file path or a server URI, which @db stands for.
    QString location() const { return m_server ? m_server->uri() : m_dir.filePath(u"cat.mde"_s); }
    const QTemporaryDir& dir() const { return m_dir; }

private:
    const QTemporaryDir& m_dir;
    std::unique_ptr<ServerDatabase> m_server;
};

// Runs an argument line with the program's settings in the case's folder (remembered mappings
// land there); @db, @csv, @jet4, @mdb and @dir stand for the test files.
CliRun run(const QString& line, const CaseCatalogue& catalogue) {
    const QTemporaryDir& dir = catalogue.dir();
    return runProgram(QStringList{u"--settings"_s, dir.filePath(u"settings.ini"_s)} +
                      argumentLine(line, {{u"@db"_s, catalogue.location()},
                                          {u"@csv"_s, dir.filePath(u"prices.csv"_s)},
                                          {u"@jet4"_s, mdb(u"stock_inventory_jet4.mdb"_s)},
                                          {u"@mdb"_s, mdb(u"nwind_jet3.mdb"_s)},
                                          {u"@dir"_s, dir.path()}}));
}

} // namespace

// The import, export and bulk-edit commands as scripts use them: exit status 2 and nothing
// written for every refusal, the same rules as the screens otherwise.
class CliImportExportTest : public QObject {
    Q_OBJECT
private slots:
    void failuresChangeNothing_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("fileOnly"); // about the catalogue's file and its other names
        const auto row = [](const char* name, const char* arguments, const char* message,
                            bool fileOnly = false) {
            QTest::newRow(name) << QString::fromUtf8(arguments) << QString::fromUtf8(message)
                                << fileOnly;
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
        row("misspelt column in the map", "import --db @db --source @csv --map 0=StockNo,1=ProdNme",
            "\"ProdNme\" is neither a mapping code nor a column; the nearest column is ProdName");
        row("start line past the end", "import --db @db --source @csv --start-line 9 --map 0=2",
            "--start-line");
        row("unknown option", "import --db @db --source @csv --map 0=2 --colour", "--colour");
        row("missing price list", "--app-folder @dir import --db @db --supplier-file white,retail",
            "This Will Update Your Supplier's White Price List 'wp-cd.txt' file ONLY!");
        row("second price list missing",
            "--app-folder @dir/app import --db @db --supplier-file white,retail", "'sp-cd.txt'");
        row("mapping given for a supplier file", "import --db @db --supplier-file white --map 0=2",
            "--supplier-file");
        row("database without table", "import --db @db --source @mdb --map 0=2", "Products");
        row("system table", "import --db @db --source @mdb --table MSysObjects --map 0=2",
            "** DON'T USE **");
        row("no such table", "import --db @db --source @mdb --table Widgets --map 0=2", "Widgets");
        row("folder as source", "import --db @db --source @dir --map 0=2",
            "is a folder, not a file");
        row("not a database", "import --db @db --source @dir/fake.mdb --table T --map 0=2",
            "fake.mdb");
        row("damaged table", "import --db @db --source @dir/damaged.mdb --table Products --map 0=2",
            "The table 'Products' of 'damaged.mdb' is damaged");
        row("found divider cuts items unevenly",
            "import --db @db --source @dir/tabbed.txt --map 0=2",
            "(tried comma: 1 to 3 fields, tab: 3 fields); give one with --divider");
        // The checks read the file from the start line wherever it stands, past the lines the
        // preview holds.
        row("found divider uneven far down a long file",
            "import --db @db --source @dir/long.txt --start-line 250 --map 0=2",
            "(tried comma: 1 to 3 fields, tab: 3 fields); give one with --divider");
        row("start line past the end of a long file",
            "import --db @db --source @dir/long.txt --start-line 252 --map 0=2",
            "is past the end of the file (252 lines)");
        row("export with a value to --heading",
            "export --db @db --out @dir/x.txt --columns 2 --heading=yes",
            "--heading takes no value");
        row("export without columns", "export --db @db --out @dir/x.txt", "--columns");
        row("export column out of range", "export --db @db --out @dir/x.txt --columns 2,31", "31");
        row("export to an unwritable place", "export --db @db --out @dir/no/x.txt --columns 2",
            "Cannot write");
        row("export with a bad condition",
            "export --db @db --out @dir/x.txt --columns 2 --where Nope~=~1", "Nope");
        row("export from a missing catalogue",
            "export --db @dir/none.mde --out @dir/x.txt --columns 2", "none.mde");
        row("export onto the catalogue", "export --db @db --out @db --columns 2",
            "is the open catalogue", true);
        row("export of characters Windows-1252 lacks",
            "export --db @db --out @dir/x.txt --columns 2,3 --encoding windows-1252",
            "2 products hold characters Windows-1252 cannot hold (JP-1, TR-1)");
        row("bulk edit, unknown supplier",
            "bulk-edit --db @db --set Supplier=Nobody --set Retail=1", "NOT In The Data Base");
        row("bulk edit, word for a number", "bulk-edit --db @db --set Retail=call", "not a number");
        row("bulk edit, stock number", "bulk-edit --db @db --set StockNo=X", "StockNo");
        row("bulk edit, unknown column", "bulk-edit --db @db --set Colour=red", "Colour");
        row("bulk edit, nothing to set", "bulk-edit --db @db", "--set");
        row("bulk edit, bad picture type",
            "bulk-edit --db @db --set Picture=/p --picture-type .png", "Extention");
        row("bulk edit, misspelt yes/no word", "bulk-edit --db @db --set Taxable=ture",
            "\"ture\" is not a yes/no value; Taxable takes yes, no, true, false, y, n, 1 or 0");
        row("bulk edit, yes/no word among good values",
            "bulk-edit --db @db --set Retail=2 --set OnSpecial=maybe", "OnSpecial");
        row("import, prices need the decimal comma",
            "import --db @db --source @dir/euro.txt --divider tab --map 0=2,1=12",
            "like \"44,38\"; give --decimal-comma");
        // A mapping no item reaches would import nothing and still succeed every night.
        row("stock number past every field", "import --db @db --source @csv --map 1=3,99=2",
            "mapped to field 99 (counted from 0), but the first items have only 3 fields");
        row("stock number past every column",
            "import --db @db --source @mdb --table Products --map 99=2",
            "mapped to column 99 (counted from 0), but the first items have only 10 columns");
        row("import, remembered mapping missing",
            "import --db @db --source @csv --mapping-from-last", "no mapping is remembered");
    }
    void failuresChangeNothing() {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        QFETCH(bool, fileOnly);
        if (fileOnly && onServer())
            QSKIP("a catalogue on a server has no file to write over");
        QTemporaryDir dir;
        const CaseCatalogue catalogue(dir);
        writeTestFile(dir.filePath(u"prices.csv"_s), "A1,Pen,1.50\nA2,Pencil,0.75\n");
        writeTestFile(dir.filePath(u"words.txt"_s), "just words\nmore words\n");
        writeTestFile(dir.filePath(u"euro.txt"_s), "A1\t44,38\nA2\tN/A\nA3\t1.234,50\nA4\t7\n");
        writeTestFile(dir.filePath(u"fake.mdb"_s), "not a database at all");
        writeTestFile(dir.filePath(u"app/Supplier/wp-cd.txt"_s), "A1,1,Pen,Each,1.50\n");
        {
            CatalogueDatabase db(catalogue.location());
            RowWriter::insert(db, u"Products"_s,
                              {{PC::PID, 2}, {PC::StockNo, u"JP-1"_s}, {PC::ProdName, u"日本"_s}});
            RowWriter::insert(
                db, u"Products"_s,
                {{PC::PID, 3}, {PC::StockNo, u"TR-1"_s}, {PC::ProdName, u"Yardım"_s}});
            RowWriter::insert(
                db, u"Products"_s,
                {{PC::PID, 4}, {PC::StockNo, u"FR-1"_s}, {PC::ProdName, u"Café €5"_s}});
            db.checkpoint();
        }
        // Three bytes of row data on the first page of Products (page 569 of 2048 bytes).
        const QByteArray damaged =
            damagedTestFile(u"mdb/nwind_jet3.mdb"_s, 569 * 2048 + 0x700, "\xff\xff\xff");
        QVERIFY2(!damaged.isEmpty(), "test file missing: mdb/nwind_jet3.mdb");
        writeTestFile(dir.filePath(u"damaged.mdb"_s), damaged);
        writeTestFile(dir.filePath(u"tabbed.txt"_s),
                      "A1\tPen, red, fine\t1.50\nA2\tPencil\t0.75\n");
        writeTestFile(dir.filePath(u"long.txt"_s),
                      QByteArray("note, of, the, supplier\n").repeated(250) +
                          "A1\tPen, red, fine\t1.50\nA2\tPencil\t0.75\n");
        const QString before = folderSnapshot(dir.path()) + catalogueSnapshot(catalogue.location());
        const CliRun r = run(arguments, catalogue);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        // libmdb's own warnings name its functions; they never reach the user.
        QVERIFY2(!r.err.contains(u"mdb_"_s), qPrintable(r.err));
        QCOMPARE(folderSnapshot(dir.path()) + catalogueSnapshot(catalogue.location()), before);
    }

    void textFileRun() {
        QTemporaryDir dir;
        const CaseCatalogue shop(dir);
        const QString catalogue = shop.location();
        QByteArray lines = "Stock,Name,Price\n";
        for (int i = 1; i <= 2500; ++i)
            lines +=
                "N" + QByteArray::number(i) + ",\"Pen, red " + QByteArray::number(i) + "\",1.50\n";
        lines += "OLD-1,Old pen,$6\n";
        writeTestFile(dir.filePath(u"prices.csv"_s), lines);
        const CliRun r = run(u"import --db @db --source @csv --start-line 1 --map 0=2,1=3,2=7 "
                             u"--supplier Acme --note spring"_s,
                             shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        // Into a pipe the import prints its totals, without progress lines.
        QCOMPARE(r.outLines().first(),
                 u"Total Checked: 2501   Total Added: 2500   Total Edited: 1"_s);
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
                                 shop);
        QCOMPARE(again.status, 0);
        QVERIFY2(
            again.outLines().contains(u"Total Checked: 2501   Total Added: 0   Total Edited: 0"_s),
            qPrintable(again.out));
    }

    // Taking back the undo of an import after the stock number was imported again leaves the
    // later product alone and says so: nothing put back, the product kept out listed, and the
    // trial telling the same figures.
    void redoKeepsOutAStockNumberImportedSince() {
        QTemporaryDir dir;
        const CaseCatalogue shop(dir);
        const auto import = [&](const QByteArray& line) {
            writeTestFile(dir.filePath(u"prices.csv"_s), line);
            const CliRun r = run(u"import --db @db --source @csv --map 0=2,1=3,2=7"_s, shop);
            QVERIFY2(r.status == 0, qPrintable(r.err));
        };
        import("DUP1,First,10.00\n");
        QCOMPARE(run(u"undo --db @db --run 1"_s, shop).status, 0);
        import("DUP1,Second,20.00\n");
        const CliRun trial = run(u"undo --db @db --run 2 --dry-run"_s, shop);
        const CliRun redo = run(u"undo --db @db --run 2"_s, shop);
        QVERIFY2(redo.status == 0, qPrintable(redo.err));
        const QString figures =
            u"0 rows deleted, 0 rows restored, 0 rows put back; 1 change kept"_s;
        const QString kept =
            u"  kept: Products DUP1: not put back, row 3 has StockNo \"DUP1\" since"_s;
        QCOMPARE(redo.outLines(), (QStringList{u"Run 2 taken back: "_s + figures + u'.', kept}));
        QCOMPARE(trial.outLines(), (QStringList{u"Undoing run 2 would take back: "_s + figures +
                                                    u" (nothing was changed)."_s,
                                                kept}));
        QCOMPARE(productCount(shop.location(), u"StockNo = 'DUP1'"_s), 1);
        QCOMPARE(productValue(shop.location(), u"ProdName"_s, u"DUP1"_s), u"Second"_s);
    }

    // A row the catalogue refuses is named on the error output; the rest of the file is written
    // and the totals are printed once.
    void refusedRowIsNamedAndTheRestWritten() {
        QTemporaryDir dir;
        const CaseCatalogue shop(dir);
        const QString catalogue = shop.location();
        {
            CatalogueDatabase db(catalogue);
            addRefusingTrigger(db, u"INSERT ON Products"_s, u"refused by the shop"_s,
                               u"new.StockNo = 'N2'"_s);
        }
        writeTestFile(dir.filePath(u"prices.csv"_s),
                      "N1,Pen,1\nN2,Ink,2\nN3,Cup,garden\nN4,Mug,4\n");
        const CliRun r = run(u"import --db @db --source @csv --map 0=2,1=3,2=18"_s, shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
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
        QTest::addColumn<QString>("where"); // empty: every product
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
            << u"--app-folder @dir/upper import --db @db --supplier-file stock"_s << QString()
            << u"Total Checked: 1   Total Added: 1   Total Edited: 0"_s
            << u"StockNo = 'U1' AND ProdName = '\"Brass Lamp'"_s << qint64(1);
        QTest::newRow("table with mapping")
            << u"import --db @db --source @jet4 --table Product_Table --map 2=2,3=3,6=12"_s
            << QString() << u"Total Checked: 96   Total Added: 96   Total Edited: 0"_s << QString()
            << qint64(97);
        QTest::newRow("table mapped by column names")
            << u"import --db @db --source @jet4 --table Product_Table "
               u"--map 2=StockNo,3=prodname,6=Retail"_s
            << QString() << u"Total Checked: 96   Total Added: 96   Total Edited: 0"_s
            << u"Retail > 0 AND ProdName <> ''"_s << qint64(96);
        QTest::newRow("TOVIN.MDB in lower case")
            << u"import --db @db --source @dir/tovin.mdb"_s << QString()
            << u"Total Checked: 77   Total Added: 77   Total Edited: 0"_s << QString()
            << qint64(78);
    }
    void successfulRuns() {
        QFETCH(QString, arguments);
        QFETCH(QString, first);
        QFETCH(QString, totals);
        QFETCH(QString, where);
        QFETCH(qint64, count);
        QTemporaryDir dir;
        const CaseCatalogue shop(dir);
        const QString catalogue = shop.location();
        const QString app = dir.filePath(u"app/Supplier/"_s);
        writeTestFile(app + u"wp-cd.txt"_s, "A1,12,Red Pen,Box,1.50\nA2,12,Ink,Each,2\n");
        writeTestFile(app + u"sp-cd.txt"_s, "A1,12,Red Pen,Box,3.99\n");
        writeTestFile(app + u"stock.txt"_s,
                      "A2]Ink]1]2]3]4]Each]-]-]x]N]x]Y\nA3]Old]1]2]3]4]Each]-]-]x]Y]x]N\n");
        writeTestFile(dir.filePath(u"upper/SUPPLIER/STOCK.TXT"_s),
                      "U1]\"Brass Lamp]1]2]3]4]Each\n");
        QVERIFY(QFile::copy(mdb(u"nwind_jet3.mdb"_s), dir.filePath(u"tovin.mdb"_s)));
        const CliRun r = run(arguments, shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        if (!first.isEmpty())
            QCOMPARE(r.outLines().first(), first);
        // The prices left as they were are listed after the totals: the Northwind table read
        // as TOVIN.MDB holds quantities ("24 - 12 oz bottles") where a price belongs.
        QVERIFY2(r.outLines().contains(totals), qPrintable(r.out));
        QCOMPARE(productCount(catalogue, where), count);
    }
    void exportAndBulkEdit() {
        QTemporaryDir dir;
        const CaseCatalogue shop(dir, true);
        const QString catalogue = shop.location();
        CliRun r = run(u"bulk-edit --db @db --set Retail=10% --set supplier=acme~tools "
                       u"--where Retail~>~15"_s,
                       shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out, u"Updating Records: #1 Of 1\n"_s);
        r = run(u"export --db @db --out @dir/out.txt --columns 12,2,1 --divider tab"_s, shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(fileBytes(dir.filePath(u"out.txt"_s)), "Old\tA1\t10\r\nAcme Tools\tB2\t22\r\n"_ba);
        r = run(u"export --db @db --out @dir/out.txt --columns 2,12 --heading"_s, shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.outLines().last(), u"Wrote 2 products to "_s + dir.filePath(u"out.txt"_s));
        QCOMPARE(fileBytes(dir.filePath(u"out.txt"_s)),
                 "Stock Number,Retail Price\r\nA1,10\r\nB2,22\r\n"_ba);
    }

    // Prices imported from a list are stored to the ten-thousandth as written, however many
    // digits they have, and exported as stored.
    void amountsTravelExactly_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("exported");
        QTest::newRow("more digits than a double holds")
            << u"123456789012.3456"_s << u"1234567890123456"_s << u"123456789012.3456"_s;
        QTest::newRow("currency and thousands")
            << u"$1,234,567,890,123.4567"_s << u"12345678901234567"_s << u"1234567890123.4567"_s;
        QTest::newRow("largest amount")
            << u"922337203685477.5807"_s << u"9223372036854775807"_s << u"922337203685477.5807"_s;
    }
    void amountsTravelExactly() {
        QFETCH(QString, price);
        QFETCH(QString, stored);
        QFETCH(QString, exported);
        QTemporaryDir dir;
        const CaseCatalogue shop(dir);
        const QString catalogue = shop.location();
        writeTestFile(dir.filePath(u"prices.csv"_s), (u"N1\t"_s + price + u"\n"_s).toUtf8());
        CliRun r = run(u"import --db @db --source @csv --divider tab --map 0=2,1=12"_s, shop);
        QVERIFY2(r.status == 0 && r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(productValue(catalogue, u"Retail"_s, u"N1"_s), stored);
        r = run(u"export --db @db --out @dir/out.txt --columns 2,12 --where StockNo='N1'"_s, shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(fileBytes(dir.filePath(u"out.txt"_s)), (u"N1,"_s + exported + u"\r\n"_s).toUtf8());
    }

    // A trial run prints what it would do and leaves the catalogue alone; the real run after it
    // remembers its mapping for the next file of that name.
    void trialRunThenRememberedMapping() {
        QTemporaryDir dir;
        const CaseCatalogue shop(dir, true);
        const QString catalogue = shop.location();
        writeTestFile(dir.filePath(u"p.csv"_s),
                      "Stock;Price\nA1;5,25\nB2;auf Anfrage\nC3;1.234,50\n");
        const QString before = catalogueSnapshot(catalogue);
        CliRun r = run(u"import --db @db --source @dir/p.csv --start-line 1 --divider ; "
                       u"--map 0=2,1=7 --decimal-comma --dry-run --note n"_s,
                       shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(u"Trial run: nothing was changed."_s), qPrintable(r.out));
        QVERIFY(r.out.contains(u"A1:    Changed: Cost1 From '5' To '5.25'"_s));
        QVERIFY(r.out.contains(u"   C3\n"_s));
        QVERIFY(r.out.contains(u"1 price left as it was:\n   line 3: B2 Cost1 'auf Anfrage'\n"_s));
        QCOMPARE(catalogueSnapshot(catalogue), before);

        r = run(u"import --db @db --source @dir/p.csv --start-line 1 --divider ; "
                u"--map 0=2,1=7 --decimal-comma --note n"_s,
                shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(productValue(catalogue, u"Cost1"_s, u"C3"_s), u"12345000"_s);
        QCOMPARE(productValue(catalogue, u"Cost1"_s, u"B2"_s), u"60000"_s);

        writeTestFile(dir.filePath(u"p.csv"_s), "Stock;Price\nA1;7,5\n");
        r = run(u"import --db @db --source @dir/p.csv --mapping-from-last "
                u"--decimal-comma"_s,
                shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(productValue(catalogue, u"Cost1"_s, u"A1"_s), u"75000"_s);
    }

    // After the totals come the stock numbers on several lines (imported once, from the later
    // line) and the prices left as they were, named with their lines; the run's entry of the
    // history keeps the prices left.
    void repeatsAndPricesLeftAreNamed() {
        QTemporaryDir dir;
        const CaseCatalogue shop(dir);
        const QString catalogue = shop.location();
        writeTestFile(dir.filePath(u"prices.txt"_s),
                      "OLD-1\tPen\t14,50\nS2\tInk\t20,95\nS3\tCup\t3.00\n"
                      "S4\tMug\t4.00\nS5\tLid\t5.00\nS3\tRed cup\t6\n");
        const CliRun r = run(
            u"import --db @db --source @dir/prices.txt --divider tab --map 0=2,1=3,2=7"_s, shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList told{u"2 prices left as they were:"_s,
                               u"   line 1: OLD-1 Cost1 '14,50'"_s,
                               u"   line 2: S2 Cost1 '20,95'"_s};
        const QStringList lines = r.outLines();
        const qsizetype totals =
            lines.indexOf(u"Total Checked: 5   Total Added: 4   Total Edited: 1"_s);
        QVERIFY2(totals >= 0, qPrintable(r.out));
        QVERIFY2(lines.indexOf(u"S3 is on lines 3 and 6; the later line was used"_s) > totals,
                 qPrintable(r.out));
        QVERIFY2(lines.indexOf(told.at(0)) > totals, qPrintable(r.out));
        QCOMPARE(lines.mid(lines.indexOf(told.at(0)), told.size()), told);
        QCOMPARE(productValue(catalogue, u"ProdName"_s, u"S3"_s), u"Red cup"_s);
        QCOMPARE(productValue(catalogue, u"Cost1"_s, u"OLD-1"_s), u"50000"_s);
        const CliRun history = run(u"history --db @db"_s, shop);
        QVERIFY2(history.status == 0, qPrintable(history.err));
        QCOMPARE(
            history.outLines().mid(1),
            (QStringList{u"    "_s + told.at(0), u"    "_s + told.at(1), u"    "_s + told.at(2)}));
    }

    void utf16FileAndNamedEncoding() {
        QTemporaryDir dir;
        const CaseCatalogue shop(dir, true);
        const QString catalogue = shop.location();
        const QString text = u"A1,Caf\u00e9 cr\u00e8me\n"_s;
        QByteArray utf16("\xFF\xFE");
        for (QChar c : text)
            utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        writeTestFile(dir.filePath(u"u.txt"_s), utf16);
        CliRun r = run(
            u"import --db @db --source @dir/u.txt --map 0=2,1=3 --note n --divider comma"_s, shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(productValue(catalogue, u"ProdName"_s, u"A1"_s), u"Caf\u00e9 cr\u00e8me"_s);
        writeTestFile(dir.filePath(u"m.txt"_s), "B2,Caf\x8E\n");
        r = run(u"import --db @db --source @dir/m.txt --map 0=2,1=3 --note n --divider comma "
                u"--encoding macintosh"_s,
                shop);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(productValue(catalogue, u"ProdName"_s, u"B2"_s), u"Caf\u00e9"_s);
    }
};

QTEST_GUILESS_MAIN(CliImportExportTest)
#include "tst_cli_importexport.moc"
