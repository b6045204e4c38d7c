#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/RowWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

struct Run {
    int status;
    QStringList out; // lines
    QString err;
};

Run run(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral(TOVIN_APP_BINARY), arguments);
    p.waitForFinished(120000);
    return {p.exitCode(),
            QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            QString::fromUtf8(p.readAllStandardError())};
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

QString mdb(const QString& name) {
    return QStringLiteral(TOVIN_TESTDATA_DIR) + u"/mdb/"_s + name;
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

qint64 count(const QString& catalogue, const QString& where = QString()) {
    CatalogueDatabase db(catalogue);
    return db
        .scalar(u"SELECT count(*) FROM Products"_s +
                (where.isEmpty() ? QString() : u" WHERE "_s + where))
        .toLongLong();
}

QString value(const QString& catalogue, const QString& column, const QString& stock) {
    return CatalogueDatabase(catalogue)
        .scalar(u"SELECT "_s + column + u" FROM Products WHERE StockNo = ?"_s, {stock})
        .toString();
}

// Splits an argument line at blanks; @db, @csv, @jet4, @mdb and @dir stand for the test files.
QStringList arguments(const QString& line, const QTemporaryDir& dir, const QString& catalogue) {
    QStringList list = line.split(u' ');
    for (QString& a : list) {
        a.replace(u"@db"_s, catalogue);
        a.replace(u"@csv"_s, dir.filePath(u"prices.csv"_s));
        a.replace(u"@jet4"_s, mdb(u"stock_inventory_jet4.mdb"_s));
        a.replace(u"@mdb"_s, mdb(u"nwind_jet3.mdb"_s));
        a.replace(u"@dir"_s, dir.path());
    }
    return list;
}

} // namespace

// The import command as scripts use it.
class CliImportTest : public QObject {
    Q_OBJECT
private slots:
    void helpDocumentsTheCommand() {
        const Run r = run({u"import"_s, u"--help"_s});
        QCOMPARE(r.status, 0);
        const QString text = r.out.join(u'\n');
        for (const QString& option :
             u"--db --source --divider --start-line --map --table --supplier-file --edit-only "
             u"--skip-discontinued --supplier --note"_s.split(u' '))
            QVERIFY2(text.contains(option), qPrintable(option));
    }

    void failuresChangeNothing_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        const QString noStock = u"You Did NOT Enter A Product ID/Stock Number!"_s;
        QTest::newRow("missing catalogue")
            << u"import --db @dir/none.mde --source @csv --map 0=2"_s << u"none.mde"_s;
        QTest::newRow("missing source")
            << u"import --db @db --source @dir/none.csv --map 0=2"_s << u"does not exist"_s;
        QTest::newRow("no source at all") << u"import --db @db"_s << u"--source"_s;
        QTest::newRow("typed divider not in the start line")
            << u"import --db @db --source @csv --divider # --map 0=2"_s
            << u"Sorry, #\n Is NOT A Valid Item Seperator!"_s;
        QTest::newRow("divider too long")
            << u"import --db @db --source @csv --divider ;;; --map 0=2"_s
            << u"Sorry, that is not a valid choice!"_s;
        QTest::newRow("no divider found")
            << u"import --db @db --source @dir/words.txt --map 0=2"_s << u"--divider"_s;
        QTest::newRow("no stock number mapped")
            << u"import --db @db --source @csv --map 0=3,1=12"_s << noStock;
        QTest::newRow("no mapping") << u"import --db @db --source @csv"_s << noStock;
        QTest::newRow("refused code")
            << u"import --db @db --source @csv --map 0=2,1=23"_s << u"Inventory"_s;
        QTest::newRow("malformed map")
            << u"import --db @db --source @csv --map 0:2"_s << u"POS=CODE"_s;
        QTest::newRow("start line past the end")
            << u"import --db @db --source @csv --start-line 9 --map 0=2"_s << u"--start-line"_s;
        QTest::newRow("unknown option")
            << u"import --db @db --source @csv --map 0=2 --colour"_s << u"--colour"_s;
        QTest::newRow("missing price list")
            << u"--app-folder @dir import --db @db --supplier-file white,retail"_s
            << u"This Will Update Your Supplier's White Price List 'wp-cd.txt' file ONLY!"_s;
        QTest::newRow("second price list missing")
            << u"--app-folder @dir/app import --db @db --supplier-file white,retail"_s
            << u"'sp-cd.txt'"_s;
        QTest::newRow("unknown supplier file")
            << u"import --db @db --supplier-file green"_s << u"green"_s;
        QTest::newRow("mapping given for a supplier file")
            << u"import --db @db --supplier-file white --map 0=2"_s << u"--supplier-file"_s;
        QTest::newRow("database without table")
            << u"import --db @db --source @mdb --map 0=2"_s << u"Products"_s;
        QTest::newRow("system table")
            << u"import --db @db --source @mdb --table MSysObjects --map 0=2"_s
            << u"** DON'T USE **"_s;
        QTest::newRow("no such table")
            << u"import --db @db --source @mdb --table Widgets --map 0=2"_s << u"Widgets"_s;
        QTest::newRow("folder as source")
            << u"import --db @db --source @dir --map 0=2"_s << u"is a folder, not a file"_s;
        QTest::newRow("folder as database")
            << u"import --db @db --source @dir/folder.mdb --table T --map 0=2"_s
            << u"is a folder, not a file"_s;
        QTest::newRow("cut-short database")
            << u"import --db @db --source @dir/cut.mdb --table Product_Table --map 2=2"_s
            << u"cut short"_s;
        QTest::newRow("not a database")
            << u"import --db @db --source @dir/fake.mdb --table T --map 0=2"_s << u"fake.mdb"_s;
    }
    void failuresChangeNothing() {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString catalogue = makeCatalogue(dir);
        write(dir.filePath(u"prices.csv"_s), "A1,Pen,1.50\nA2,Pencil,0.75\n");
        write(dir.filePath(u"words.txt"_s), "just words\nmore words\n");
        write(dir.filePath(u"fake.mdb"_s), "not a database at all");
        write(dir.filePath(u"app/Supplier/wp-cd.txt"_s), "A1,1,Pen,Each,1.50\n");
        QDir().mkpath(dir.filePath(u"folder.mdb"_s));
        const QByteArray jet4 = bytesOf(mdb(u"stock_inventory_jet4.mdb"_s));
        QVERIFY2(!jet4.isEmpty(), "test file missing: mdb/stock_inventory_jet4.mdb");
        write(dir.filePath(u"cut.mdb"_s), jet4.left(jet4.size() / 2));
        const QByteArray before = bytesOf(catalogue);
        const Run r = run(::arguments(arguments, dir, catalogue));
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(bytesOf(catalogue), before);
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
        write(dir.filePath(u"prices.csv"_s), lines);
        const Run r =
            run(arguments(u"import --db @db --source @csv --start-line 1 --map 0=2,1=3,2=7 "
                          u"--supplier Acme --note spring"_s,
                          dir, catalogue));
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out, (QStringList{
                            u"Getting Information From: prices.csv"_s,
                            u"Divider: comma, quoted fields read whole"_s,
                            u"Adding Product ID # N1000   Checked: 1000   New: 1000   Edited: 0"_s,
                            u"Adding Product ID # N2000   Checked: 2000   New: 2000   Edited: 0"_s,
                            u"Adding Product ID # OLD-1   Checked: 2501   New: 2500   Edited: 1"_s,
                            u"Total Checked: 2501   Total Added: 2500   Total Edited: 1"_s}));
        QCOMPARE(count(catalogue), 2501);
        QCOMPARE(value(catalogue, u"ProdName"_s, u"N7"_s), u"Pen, red 7"_s);
        QCOMPARE(value(catalogue, u"Supplier"_s, u"N7"_s), u"Acme"_s);
        QCOMPARE(value(catalogue, u"Cost1"_s, u"OLD-1"_s), u"0"_s);
        QCOMPARE(value(catalogue, u"Notes"_s, u"OLD-1"_s),
                 u"spring - Edited This Item\r\n"
                 u"   Changed: ProdName From '' To 'Old pen'\r\n"
                 u"   Changed: Cost1 From '5' To '0'\r\n"
                 u"   Changed: Supplier From '' To 'Acme'\r\n"_s);

        // Again with edit-only and the same file: everything is checked, nothing changes.
        const Run again = run(arguments(u"import --db @db --source @csv --start-line=1 "
                                        u"--map=0=2,1=3,2=7 --supplier=Acme --edit-only"_s,
                                        dir, catalogue));
        QCOMPARE(again.status, 0);
        QCOMPARE(again.out.last(), u"Total Checked: 2501   Total Added: 0   Total Edited: 0"_s);
    }

    // A row the catalogue refuses is named on the error output; the rest of the file is written
    // and the totals are printed once.
    void refusedRowIsNamedAndTheRestWritten() {
        QTemporaryDir dir;
        const QString catalogue = makeCatalogue(dir);
        CatalogueDatabase(catalogue).run(
            u"CREATE TRIGGER refuse BEFORE INSERT ON Products WHEN new.StockNo = 'N2' "
            u"BEGIN SELECT RAISE(ABORT, 'refused by the shop'); END"_s);
        write(dir.filePath(u"prices.csv"_s), "N1,Pen,1\nN2,Ink,2\nN3,Cup,garden\nN4,Mug,4\n");
        const Run r =
            run(arguments(u"import --db @db --source @csv --map 0=2,1=3,2=18"_s, dir, catalogue));
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains(u"passed over item N2: the catalogue refused it (refused by the "
                                u"shop)"_s),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains(u"passed over item N3, column Catagory: "_s), qPrintable(r.err));
        QCOMPARE(r.out.filter(u"Total Checked"_s),
                 QStringList{u"Total Checked: 3   Total Added: 3   Total Edited: 0"_s});
        QCOMPARE(count(catalogue), 4);
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
        write(app + u"wp-cd.txt"_s, "A1,12,Red Pen,Box,1.50\nA2,12,Ink,Each,2\n");
        write(app + u"sp-cd.txt"_s, "A1,12,Red Pen,Box,3.99\n");
        write(app + u"stock.txt"_s,
              "A2]Ink]1]2]3]4]Each]-]-]x]N]x]Y\nA3]Old]1]2]3]4]Each]-]-]x]Y]x]N\n");
        write(dir.filePath(u"upper/SUPPLIER/STOCK.TXT"_s), "U1]\"Brass Lamp]1]2]3]4]Each\n");
        QVERIFY(QFile::copy(mdb(u"nwind_jet3.mdb"_s), dir.filePath(u"tovin.mdb"_s)));
        const Run r = run(::arguments(arguments, dir, catalogue));
        QVERIFY2(r.status == 0, qPrintable(r.err));
        if (!first.isEmpty())
            QCOMPARE(r.out.first(), first);
        QCOMPARE(r.out.last(), totals);
        QCOMPARE(::count(catalogue, where), count);
    }
};

QTEST_GUILESS_MAIN(CliImportTest)
#include "tst_cli_import.moc"
