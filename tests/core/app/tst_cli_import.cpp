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
             {u"--db"_s, u"--source"_s, u"--divider"_s, u"--start-line"_s, u"--map"_s, u"--table"_s,
              u"--supplier-file"_s, u"--edit-only"_s, u"--skip-discontinued"_s, u"--supplier"_s,
              u"--note"_s})
            QVERIFY2(text.contains(option), qPrintable(option));
        QVERIFY(run({u"--help"_s}).out.join(u'\n').contains(u"import"_s));
    }

    void failuresChangeNothing_data() {
        QTest::addColumn<QStringList>("arguments"); // @db, @csv, @dir stand for the test files
        QTest::addColumn<QString>("message");
        const QStringList base{u"import"_s, u"--db"_s, u"@db"_s};
        QTest::newRow("missing source")
            << base + QStringList{u"--source"_s, u"@dir/none.csv"_s, u"--map"_s, u"0=2"_s}
            << u"does not exist"_s;
        QTest::newRow("no source at all") << base << u"--source"_s;
        QTest::newRow("typed divider not in the start line")
            << base + QStringList{u"--source"_s, u"@csv"_s,  u"--divider"_s,
                                  u"#"_s,        u"--map"_s, u"0=2"_s}
            << u"Sorry, #\n Is NOT A Valid Item Seperator!"_s;
        QTest::newRow("divider too long")
            << base + QStringList{u"--source"_s, u"@csv"_s,  u"--divider"_s,
                                  u";;;"_s,      u"--map"_s, u"0=2"_s}
            << u"Sorry, that is not a valid choice!"_s;
        QTest::newRow("no divider found")
            << base + QStringList{u"--source"_s, u"@dir/words.txt"_s, u"--map"_s, u"0=2"_s}
            << u"--divider"_s;
        QTest::newRow("no stock number mapped")
            << base + QStringList{u"--source"_s, u"@csv"_s, u"--map"_s, u"0=3,1=12"_s}
            << u"You Did NOT Enter A Product ID/Stock Number!"_s;
        QTest::newRow("no mapping") << base + QStringList{u"--source"_s, u"@csv"_s}
                                    << u"You Did NOT Enter A Product ID/Stock Number!"_s;
        QTest::newRow("refused code")
            << base + QStringList{u"--source"_s, u"@csv"_s, u"--map"_s, u"0=2,1=23"_s}
            << u"Inventory"_s;
        QTest::newRow("malformed map")
            << base + QStringList{u"--source"_s, u"@csv"_s, u"--map"_s, u"0:2"_s} << u"POS=CODE"_s;
        QTest::newRow("start line past the end")
            << base + QStringList{u"--source"_s, u"@csv"_s,  u"--start-line"_s,
                                  u"9"_s,        u"--map"_s, u"0=2"_s}
            << u"--start-line"_s;
        QTest::newRow("unknown option")
            << base + QStringList{u"--source"_s, u"@csv"_s, u"--map"_s, u"0=2"_s, u"--colour"_s}
            << u"--colour"_s;
        QTest::newRow("missing price list")
            << QStringList{u"--app-folder"_s, u"@dir"_s} + base +
                   QStringList{u"--supplier-file"_s, u"white,retail"_s}
            << u"This Will Update Your Supplier's White Price List 'wp-cd.txt' file ONLY!"_s;
        QTest::newRow("second price list missing")
            << QStringList{u"--app-folder"_s, u"@dir/app"_s} + base +
                   QStringList{u"--supplier-file"_s, u"white,retail"_s}
            << u"'sp-cd.txt'"_s;
        QTest::newRow("unknown supplier file")
            << base + QStringList{u"--supplier-file"_s, u"green"_s} << u"green"_s;
        QTest::newRow("mapping given for a supplier file")
            << base + QStringList{u"--supplier-file"_s, u"white"_s, u"--map"_s, u"0=2"_s}
            << u"--supplier-file"_s;
        QTest::newRow("database without table")
            << base + QStringList{u"--source"_s, mdb(u"nwind_jet3.mdb"_s), u"--map"_s, u"0=2"_s}
            << u"Products"_s;
        QTest::newRow("system table") << base + QStringList{u"--source"_s, mdb(u"nwind_jet3.mdb"_s),
                                                            u"--table"_s,  u"MSysObjects"_s,
                                                            u"--map"_s,    u"0=2"_s}
                                      << u"** DON'T USE **"_s;
        QTest::newRow("no such table")
            << base + QStringList{u"--source"_s, mdb(u"nwind_jet3.mdb"_s),
                                  u"--table"_s,  u"Widgets"_s,
                                  u"--map"_s,    u"0=2"_s}
            << u"Widgets"_s;
        QTest::newRow("not a database")
            << base + QStringList{u"--source"_s, u"@dir/fake.mdb"_s, u"--table"_s,
                                  u"T"_s,        u"--map"_s,         u"0=2"_s}
            << u"fake.mdb"_s;
    }
    void failuresChangeNothing() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString catalogue = makeCatalogue(dir);
        write(dir.filePath(u"prices.csv"_s), "A1,Pen,1.50\nA2,Pencil,0.75\n");
        write(dir.filePath(u"words.txt"_s), "just words\nmore words\n");
        write(dir.filePath(u"fake.mdb"_s), "not a database at all");
        write(dir.filePath(u"app/Supplier/wp-cd.txt"_s), "A1,1,Pen,Each,1.50\n");
        const QByteArray before = bytesOf(catalogue);
        for (QString& a : arguments) {
            a.replace(u"@db"_s, catalogue);
            a.replace(u"@csv"_s, dir.filePath(u"prices.csv"_s));
            a.replace(u"@dir"_s, dir.path());
        }
        const Run r = run(arguments);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(bytesOf(catalogue), before);
        QVERIFY(!QFileInfo::exists(catalogue + u"-wal"_s) ||
                QFileInfo(catalogue + u"-wal"_s).size() == 0);
    }

    void missingCatalogue() {
        QTemporaryDir dir;
        write(dir.filePath(u"prices.csv"_s), "A1,Pen,1.50\n");
        const Run r = run({u"import"_s, u"--db"_s, dir.filePath(u"none.mde"_s), u"--source"_s,
                           dir.filePath(u"prices.csv"_s), u"--map"_s, u"0=2"_s});
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains(u"none.mde"_s));
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
        const Run r = run({u"import"_s, u"--db"_s, catalogue, u"--source"_s,
                           dir.filePath(u"prices.csv"_s), u"--start-line"_s, u"1"_s, u"--map"_s,
                           u"0=2,1=3,2=7"_s, u"--supplier"_s, u"Acme"_s, u"--note"_s, u"spring"_s});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out, (QStringList{
                            u"Getting Information From: prices.csv"_s,
                            u"Adding Product ID # N1000   Checked: 1000   New: 1000   Edited: 0"_s,
                            u"Adding Product ID # N2000   Checked: 2000   New: 2000   Edited: 0"_s,
                            u"Adding Product ID # OLD-1   Checked: 2501   New: 2500   Edited: 1"_s,
                            u"Total Checked: 2501   Total Added: 2500   Total Edited: 1"_s}));
        QCOMPARE(count(catalogue), 2501);
        CatalogueDatabase db(catalogue);
        QCOMPARE(db.scalar(u"SELECT ProdName FROM Products WHERE StockNo = 'N7'"_s).toString(),
                 u"Pen, red 7"_s);
        QCOMPARE(db.scalar(u"SELECT Supplier FROM Products WHERE StockNo = 'N7'"_s).toString(),
                 u"Acme"_s);
        QCOMPARE(db.scalar(u"SELECT Cost1 FROM Products WHERE StockNo = 'OLD-1'"_s).toInt(), 0);
        QCOMPARE(db.scalar(u"SELECT Notes FROM Products WHERE StockNo = 'OLD-1'"_s).toString(),
                 u"spring - Edited This Item\r\n"
                 u"   Changed: ProdName From '' To 'Old pen'\r\n"
                 u"   Changed: Cost1 From '5' To '0'\r\n"
                 u"   Changed: Supplier From '' To 'Acme'\r\n"_s);

        // Again with edit-only and the same file: everything is checked, nothing changes.
        const Run again = run({u"import"_s, u"--db"_s, catalogue, u"--source"_s,
                               dir.filePath(u"prices.csv"_s), u"--start-line=1"_s,
                               u"--map=0=2,1=3,2=7"_s, u"--supplier=Acme"_s, u"--edit-only"_s});
        QCOMPARE(again.status, 0);
        QCOMPARE(again.out.last(), u"Total Checked: 2501   Total Added: 0   Total Edited: 0"_s);
    }

    void supplierFilesRun() {
        QTemporaryDir dir;
        const QString catalogue = makeCatalogue(dir);
        const QString app = dir.filePath(u"app"_s);
        write(app + u"/Supplier/wp-cd.txt"_s, "A1,12,Red Pen,Box,1.50\nA2,12,Ink,Each,2\n");
        write(app + u"/Supplier/sp-cd.txt"_s, "A1,12,Red Pen,Box,3.99\n");
        write(app + u"/Supplier/stock.txt"_s,
              "A2]Ink]1]2]3]4]Each]-]-]x]N]x]Y\nA3]Old]1]2]3]4]Each]-]-]x]Y]x]N\n");
        const Run lists = run({u"--app-folder"_s, app, u"import"_s, u"--db"_s, catalogue,
                               u"--supplier-file"_s, u"retail,white"_s});
        QVERIFY2(lists.status == 0, qPrintable(lists.err));
        QCOMPARE(lists.out.first(), u"Getting Information From: wp-cd.txt"_s);
        QVERIFY(lists.out.contains(u"Getting Information From: sp-cd.txt"_s));
        QCOMPARE(lists.out.last(), u"Total Checked: 1   Total Added: 0   Total Edited: 1"_s);
        CatalogueDatabase db(catalogue);
        QCOMPARE(db.scalar(u"SELECT Retail FROM Products WHERE StockNo = 'A1'"_s).toLongLong(),
                 39900);
        QCOMPARE(db.scalar(u"SELECT Cost1 FROM Products WHERE StockNo = 'A1'"_s).toLongLong(),
                 15000);

        const Run stock = run({u"--app-folder"_s, app, u"import"_s, u"--db"_s, catalogue,
                               u"--supplier-file"_s, u"stock"_s, u"--skip-discontinued"_s});
        QVERIFY2(stock.status == 0, qPrintable(stock.err));
        QCOMPARE(stock.out.last(), u"Total Checked: 1   Total Added: 0   Total Edited: 1"_s);
        QCOMPARE(count(catalogue, u"StockNo = 'A3'"_s), 0);
    }

    void databaseRuns_data() {
        QTest::addColumn<QString>("copyAs"); // empty: the file itself
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("totals");
        QTest::newRow("table with mapping")
            << QString() << QStringList{u"--source"_s, mdb(u"stock_inventory_jet4.mdb"_s),
                                        u"--table"_s,  u"Product_Table"_s,
                                        u"--map"_s,    u"2=2,3=3,6=12"_s}
            << u"Total Checked: 96   Total Added: 96   Total Edited: 0"_s;
        QTest::newRow("TOVIN.MDB in lower case")
            << u"tovin.mdb"_s << QStringList{}
            << u"Total Checked: 77   Total Added: 77   Total Edited: 0"_s;
    }
    void databaseRuns() {
        QFETCH(QString, copyAs);
        QFETCH(QStringList, options);
        QFETCH(QString, totals);
        QTemporaryDir dir;
        const QString catalogue = makeCatalogue(dir);
        if (!copyAs.isEmpty()) {
            QVERIFY(QFile::copy(mdb(u"nwind_jet3.mdb"_s), dir.filePath(copyAs)));
            options << u"--source"_s << dir.filePath(copyAs);
        }
        const Run r = run(QStringList{u"import"_s, u"--db"_s, catalogue} + options);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out.last(), totals);
    }
};

QTEST_GUILESS_MAIN(CliImportTest)
#include "tst_cli_import.moc"
