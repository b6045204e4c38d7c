#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/RowWriter.h"
#include "support/core/CliRun.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

// Runs the program with its settings in `dir` (remembered mappings land there).
CliRun run(const QString& line, const QTemporaryDir& dir) {
    return runProgram(
        QStringList{u"--settings"_s, dir.filePath(u"settings.ini"_s)} +
        argumentLine(line, {{u"@cat"_s, dir.filePath(u"cat.mde"_s)}, {u"@dir"_s, dir.path()}}));
}

// Two products and one supplier.
void makeCatalogue(const QTemporaryDir& dir) {
    const QString path = dir.filePath(u"cat.mde"_s);
    CatalogueDatabase::create(path);
    CatalogueDatabase db(path);
    for (const auto& [pid, stockNo, retail, cost] :
         {std::tuple{1, u"A1"_s, 10.0, 5.0}, std::tuple{2, u"B2"_s, 20.0, 6.0}})
        RowWriter::insert(db, u"Products"_s,
                          {{PC::PID, pid},
                           {PC::StockNo, stockNo},
                           {PC::Retail, retail},
                           {PC::Supplier, u"Old"_s},
                           {PC::Cost1, cost}});
    RowWriter::insert(db, u"Supplier"_s, {{0, 1}, {1, u"Acme Tools"_s}});
    db.checkpoint();
}

QString column(const QTemporaryDir& dir, const QString& name, const QString& stock) {
    return productValue(dir.filePath(u"cat.mde"_s), name, stock);
}

} // namespace

// The export, bulk-edit and import commands as scripts use them: exit status 2 and nothing
// written for every refusal, the same rules as the screens otherwise.
class CliExportBulkEditTest : public QObject {
    Q_OBJECT
private slots:
    // "@cat" is the catalogue of two products.
    void refusalsChangeNothing_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const char* line, const char* message) {
            QTest::newRow(name) << QString::fromUtf8(line) << QString::fromUtf8(message);
        };
        row("export without columns", "export --db @cat --out @dir/x.txt", "--columns");
        row("export column out of range", "export --db @cat --out @dir/x.txt --columns 2,31", "31");
        row("export to an unwritable place", "export --db @cat --out @dir/no/x.txt --columns 2",
            "Cannot write");
        row("export with a bad condition",
            "export --db @cat --out @dir/x.txt --columns 2 --where Nope~=~1", "Nope");
        row("export from a missing catalogue",
            "export --db @dir/none.mde --out @dir/x.txt --columns 2", "none.mde");
        row("bulk edit, unknown supplier",
            "bulk-edit --db @cat --set Supplier=Nobody --set Retail=1", "NOT In The Data Base");
        row("bulk edit, word for a number", "bulk-edit --db @cat --set Retail=call",
            "not a number");
        row("bulk edit, stock number", "bulk-edit --db @cat --set StockNo=X", "StockNo");
        row("bulk edit, unknown column", "bulk-edit --db @cat --set Colour=red", "Colour");
        row("bulk edit, nothing to set", "bulk-edit --db @cat", "--set");
        row("bulk edit, bad picture type",
            "bulk-edit --db @cat --set Picture=/p --picture-type .png", "Extention");
        row("import, remembered mapping missing",
            "import --db @cat --source @dir/p.csv --mapping-from-last", "no mapping is remembered");
    }
    void refusalsChangeNothing() {
        QFETCH(QString, line);
        QFETCH(QString, message);
        QTemporaryDir dir;
        makeCatalogue(dir);
        writeTestFile(dir.filePath(u"p.csv"_s), "A1,1\n");
        const QString before = folderSnapshot(dir.path());
        const CliRun r = run(line, dir);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(folderSnapshot(dir.path()), before);
    }

    void exportAndBulkEdit() {
        QTemporaryDir dir;
        makeCatalogue(dir);
        CliRun r = run(u"bulk-edit --db @cat --set Retail=10% --set supplier=acme~tools "
                       u"--where Retail~>~15"_s,
                       dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out, u"Updating Records: #1 Of 1\n"_s);
        r = run(u"export --db @cat --out @dir/out.txt --columns 12,2,1 --divider tab"_s, dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(fileBytes(dir.filePath(u"out.txt"_s)), "Old\tA1\t10\r\nAcme Tools\tB2\t22\r\n"_ba);
    }

    // A trial run prints what it would do and leaves the catalogue alone; the real run after it
    // remembers its mapping for the next file of that name.
    void trialRunThenRememberedMapping() {
        QTemporaryDir dir;
        makeCatalogue(dir);
        writeTestFile(dir.filePath(u"p.csv"_s),
                      "Stock;Price\nA1;5,25\nB2;auf Anfrage\nC3;1.234,50\n");
        const QByteArray before = fileBytes(dir.filePath(u"cat.mde"_s));
        CliRun r = run(u"import --db @cat --source @dir/p.csv --start-line 1 --divider ; "
                       u"--map 0=2,1=7 --decimal-comma --dry-run --note n"_s,
                       dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(u"Trial run: nothing was changed."_s), qPrintable(r.out));
        QVERIFY(r.out.contains(u"A1:    Changed: Cost1 From '5' To '5.25'"_s));
        QVERIFY(r.out.contains(u"   C3\n"_s));
        QVERIFY(r.out.contains(u"Passed over: B2: Cost1 'auf Anfrage'"_s));
        QCOMPARE(fileBytes(dir.filePath(u"cat.mde"_s)), before);

        r = run(u"import --db @cat --source @dir/p.csv --start-line 1 --divider ; "
                u"--map 0=2,1=7 --decimal-comma --note n"_s,
                dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(column(dir, u"Cost1"_s, u"C3"_s), u"12345000"_s);
        QCOMPARE(column(dir, u"Cost1"_s, u"B2"_s), u"60000"_s);

        writeTestFile(dir.filePath(u"p.csv"_s), "Stock;Price\nA1;7,5\n");
        r = run(u"import --db @cat --source @dir/p.csv --mapping-from-last "
                u"--decimal-comma"_s,
                dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(column(dir, u"Cost1"_s, u"A1"_s), u"75000"_s);
    }

    void utf16FileAndNamedEncoding() {
        QTemporaryDir dir;
        makeCatalogue(dir);
        const QString text = u"A1,Caf\u00e9 cr\u00e8me\n"_s;
        QByteArray utf16("\xFF\xFE");
        for (QChar c : text)
            utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        writeTestFile(dir.filePath(u"u.txt"_s), utf16);
        CliRun r = run(
            u"import --db @cat --source @dir/u.txt --map 0=2,1=3 --note n --divider comma"_s, dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(column(dir, u"ProdName"_s, u"A1"_s), u"Caf\u00e9 cr\u00e8me"_s);
        writeTestFile(dir.filePath(u"m.txt"_s), "B2,Caf\x8E\n");
        r = run(u"import --db @cat --source @dir/m.txt --map 0=2,1=3 --note n --divider comma "
                u"--encoding macintosh"_s,
                dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(column(dir, u"ProdName"_s, u"B2"_s), u"Caf\u00e9"_s);
    }
};

QTEST_GUILESS_MAIN(CliExportBulkEditTest)
#include "tst_cli_exportbulkedit.moc"
