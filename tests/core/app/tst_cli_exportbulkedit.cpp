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
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

struct Run {
    int status;
    QString out;
    QString err;
};

// Runs the program with its settings in `dir` (remembered mappings land there).
Run run(const QString& line, const QTemporaryDir& dir) {
    QStringList arguments{u"--settings"_s, dir.filePath(u"settings.ini"_s)};
    for (QString a : line.split(u' ')) {
        a.replace(u"@dir"_s, dir.path());
        a.replace(u'~', u' ');
        arguments << a;
    }
    QProcess p;
    p.start(QStringLiteral(TOVIN_APP_BINARY), arguments);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Two products and one supplier.
void makeCatalogue(const QTemporaryDir& dir) {
    const QString path = dir.filePath(u"cat.mde"_s);
    CatalogueDatabase::create(path);
    CatalogueDatabase db(path);
    RowWriter::insert(db, u"Products"_s,
                      {{PC::PID, 1},
                       {PC::StockNo, u"A1"_s},
                       {PC::Retail, 10.0},
                       {PC::Supplier, u"Old"_s},
                       {PC::Cost1, 5.0}});
    RowWriter::insert(db, u"Products"_s,
                      {{PC::PID, 2},
                       {PC::StockNo, u"B2"_s},
                       {PC::Retail, 20.0},
                       {PC::Supplier, u"Old"_s},
                       {PC::Cost1, 6.0}});
    RowWriter::insert(db, u"Supplier"_s, {{0, 1}, {1, u"Acme Tools"_s}});
    db.checkpoint();
}

QString column(const QTemporaryDir& dir, const QString& name, const QString& stock) {
    return CatalogueDatabase(dir.filePath(u"cat.mde"_s))
        .scalar(u"SELECT "_s + name + u" FROM Products WHERE StockNo = ?"_s, {stock})
        .toString();
}

} // namespace

// The export, bulk-edit and import commands as scripts use them: exit status 2 and nothing
// written for every refusal, the same rules as the screens otherwise.
class CliExportBulkEditTest : public QObject {
    Q_OBJECT
private slots:
    void helpSaysHowValuesAreRead_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("export") << u"export"_s
                                << QStringList{u"--columns"_s, u"--divider"_s, u"--where"_s,
                                               u"windows-1252"_s, u"double quotes"_s};
        QTest::newRow("bulk-edit")
            << u"bulk-edit"_s
            << QStringList{u"--set"_s,          u"--where"_s,         u"10% raises"_s,
                           u"Retail less 25"_s, u"--include-blank"_s, u"exit status 2"_s};
        QTest::newRow("import") << u"import"_s
                                << QStringList{u"--encoding"_s, u"--decimal-comma"_s,
                                               u"--dry-run"_s, u"--mapping-from-last"_s};
    }
    void helpSaysHowValuesAreRead() {
        QFETCH(QString, command);
        QFETCH(QStringList, words);
        QTemporaryDir dir;
        const Run r = run(command + u" --help"_s, dir);
        QCOMPARE(r.status, 0);
        for (const QString& word : words)
            QVERIFY2(r.out.contains(word), qPrintable(word));
    }

    void refusalsChangeNothing_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("export without columns")
            << u"export --db @dir/cat.mde --out @dir/x.txt"_s << u"--columns"_s;
        QTest::newRow("export column out of range")
            << u"export --db @dir/cat.mde --out @dir/x.txt --columns 2,31"_s << u"31"_s;
        QTest::newRow("export to an unwritable place")
            << u"export --db @dir/cat.mde --out @dir/no/x.txt --columns 2"_s << u"Cannot write"_s;
        QTest::newRow("export with a bad condition")
            << u"export --db @dir/cat.mde --out @dir/x.txt --columns 2 --where Nope~=~1"_s
            << u"Nope"_s;
        QTest::newRow("export from a missing catalogue")
            << u"export --db @dir/none.mde --out @dir/x.txt --columns 2"_s << u"none.mde"_s;
        QTest::newRow("bulk edit, unknown supplier")
            << u"bulk-edit --db @dir/cat.mde --set Supplier=Nobody --set Retail=1"_s
            << u"NOT In The Data Base"_s;
        QTest::newRow("bulk edit, word for a number")
            << u"bulk-edit --db @dir/cat.mde --set Retail=call"_s << u"not a number"_s;
        QTest::newRow("bulk edit, stock number")
            << u"bulk-edit --db @dir/cat.mde --set StockNo=X"_s << u"StockNo"_s;
        QTest::newRow("bulk edit, unknown column")
            << u"bulk-edit --db @dir/cat.mde --set Colour=red"_s << u"Colour"_s;
        QTest::newRow("bulk edit, nothing to set")
            << u"bulk-edit --db @dir/cat.mde"_s << u"--set"_s;
        QTest::newRow("bulk edit, bad picture type")
            << u"bulk-edit --db @dir/cat.mde --set Picture=/p --picture-type .png"_s
            << u"Extention"_s;
        QTest::newRow("import, remembered mapping missing")
            << u"import --db @dir/cat.mde --source @dir/p.csv --mapping-from-last"_s
            << u"no mapping is remembered"_s;
    }
    void refusalsChangeNothing() {
        QFETCH(QString, line);
        QFETCH(QString, message);
        QTemporaryDir dir;
        makeCatalogue(dir);
        write(dir.filePath(u"p.csv"_s), "A1,1\n");
        const QByteArray before = bytesOf(dir.filePath(u"cat.mde"_s));
        const Run r = run(line, dir);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(bytesOf(dir.filePath(u"cat.mde"_s)), before);
        QVERIFY(!QFileInfo::exists(dir.filePath(u"x.txt"_s)));
    }

    void exportAndBulkEdit() {
        QTemporaryDir dir;
        makeCatalogue(dir);
        Run r = run(u"bulk-edit --db @dir/cat.mde --set Retail=10% --set supplier=acme~tools "
                    u"--where Retail~>~15"_s,
                    dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out, u"Updating Records: #1 Of 1\n"_s);
        r = run(u"export --db @dir/cat.mde --out @dir/out.txt --columns 12,2,1 --divider tab"_s,
                dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(bytesOf(dir.filePath(u"out.txt"_s)), "Old\tA1\t10\r\nAcme Tools\tB2\t22\r\n"_ba);
    }

    // A trial run prints what it would do and leaves the catalogue alone; the real run after it
    // remembers its mapping for the next file of that name.
    void trialRunThenRememberedMapping() {
        QTemporaryDir dir;
        makeCatalogue(dir);
        write(dir.filePath(u"p.csv"_s), "Stock;Price\nA1;5,25\nB2;auf Anfrage\nC3;1.234,50\n");
        const QByteArray before = bytesOf(dir.filePath(u"cat.mde"_s));
        Run r = run(u"import --db @dir/cat.mde --source @dir/p.csv --start-line 1 --divider ; "
                    u"--map 0=2,1=7 --decimal-comma --dry-run --note n"_s,
                    dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(u"Trial run: nothing was changed."_s), qPrintable(r.out));
        QVERIFY(r.out.contains(u"A1:    Changed: Cost1 From '5' To '5.25'"_s));
        QVERIFY(r.out.contains(u"   C3\n"_s));
        QVERIFY(r.out.contains(u"Passed over: B2: Cost1 'auf Anfrage'"_s));
        QCOMPARE(bytesOf(dir.filePath(u"cat.mde"_s)), before);

        r = run(u"import --db @dir/cat.mde --source @dir/p.csv --start-line 1 --divider ; "
                u"--map 0=2,1=7 --decimal-comma --note n"_s,
                dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(column(dir, u"Cost1"_s, u"C3"_s), u"12345000"_s);
        QCOMPARE(column(dir, u"Cost1"_s, u"B2"_s), u"60000"_s);

        write(dir.filePath(u"p.csv"_s), "Stock;Price\nA1;7,5\n");
        r = run(u"import --db @dir/cat.mde --source @dir/p.csv --mapping-from-last "
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
        write(dir.filePath(u"u.txt"_s), utf16);
        Run r = run(
            u"import --db @dir/cat.mde --source @dir/u.txt --map 0=2,1=3 --note n --divider comma"_s,
            dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(column(dir, u"ProdName"_s, u"A1"_s), u"Caf\u00e9 cr\u00e8me"_s);
        write(dir.filePath(u"m.txt"_s), "B2,Caf\x8E\n");
        r = run(
            u"import --db @dir/cat.mde --source @dir/m.txt --map 0=2,1=3 --note n --divider comma "
            u"--encoding macintosh"_s,
            dir);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(column(dir, u"ProdName"_s, u"B2"_s), u"Caf\u00e9"_s);
    }
};

QTEST_GUILESS_MAIN(CliExportBulkEditTest)
#include "tst_cli_exportbulkedit.moc"
