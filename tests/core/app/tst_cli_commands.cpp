#include "core/data/CatalogueDatabase.h"
#include "support/core/CliRun.h"
#include "support/core/TestProgramFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

// The smaller commands as scripts use them (create, reorder, report, convert), the help of
// every command, and the rule they all share: a refusal is exit status 2 with a message, and
// nothing is written.
class CliCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_shared; // the demo catalogue the read-only commands use
    QString m_demo;

    QStringList line(const QString& text, const QTemporaryDir& dir) const {
        return argumentLine(text, {{u"@demo"_s, m_demo}, {u"@dir"_s, dir.path()}});
    }

private slots:
    void initTestCase() {
        m_demo = m_shared.filePath(u"demo.mde"_s);
        const CliRun made = runProgram({u"create"_s, u"--demo"_s, m_demo});
        QVERIFY2(made.status == 0, qPrintable(made.err));
    }

    void helpDescribesEachCommand_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("words"); // separated by "|"
        QTest::newRow("program") << QString() << u"create|import|--app-folder"_s;
        QTest::newRow("import") << u"import"_s
                                << u"--db|--source|--divider|--start-line|--map|--table|"
                                   u"--supplier-file|--edit-only|--skip-discontinued|--supplier|"
                                   u"--note|--encoding|--decimal-comma|--dry-run|"
                                   u"--mapping-from-last"_s;
        QTest::newRow("export") << u"export"_s
                                << u"--columns|--divider|--where|windows-1252|double quotes"_s;
        QTest::newRow("bulk-edit") << u"bulk-edit"_s
                                   << u"--set|--where|10% raises|Retail less 25|--include-blank|"
                                      u"exit status 2"_s;
    }
    void helpDescribesEachCommand() {
        QFETCH(QString, command);
        QFETCH(QString, words);
        const CliRun r = runProgram(command.isEmpty() ? QStringList{u"--help"_s}
                                                      : QStringList{command, u"--help"_s});
        QCOMPARE(r.status, 0);
        for (const QString& word : words.split(u'|'))
            QVERIFY2(r.out.contains(word), qPrintable(word));
    }

    void createsEmptyAndDemoCatalogues_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<bool>("filled");
        QTest::newRow("empty") << u"create"_s << false;
        QTest::newRow("demo") << u"create --demo"_s << true;
    }
    void createsEmptyAndDemoCatalogues() {
        QFETCH(QString, options);
        QFETCH(bool, filled);
        QTemporaryDir dir;
        const CliRun r = runProgram(line(options + u" @dir/new.mde"_s, dir));
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(productCount(dir.filePath(u"new.mde"_s)) > 0, filled);
    }

    // The demo catalogue's products to order again, under their supplier.
    void reorderListsBySupplier() {
        const CliRun r = runProgram({u"reorder"_s, u"--db"_s, m_demo});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(u"Pennybrook Lamp & Garden Co.\n"
                                u"  GD-605\tCedar Birdhouse\torder 1\t"
                                u"(in stock 2, on order 0, re-order at 2)\n"_s),
                 qPrintable(r.out));
        QVERIFY(r.err.isEmpty());
    }

    // A scheduled job names the report by name or by file, options before or after it.
    void reportWritesPdf_data() {
        QTest::addColumn<QString>("arguments");
        QTest::newRow("by name") << u"report inventory --db @demo --pdf @dir/out.pdf"_s;
        QTest::newRow("by file name, options first")
            << u"report --pdf @dir/out.pdf --db @demo orders.rpt"_s;
    }
    void reportWritesPdf() {
        QFETCH(QString, arguments);
        QTemporaryDir dir;
        const CliRun r = runProgram(line(arguments, dir));
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(fileBytes(dir.filePath(u"out.pdf"_s)).startsWith("%PDF-"));
    }

    // "@dir" is a folder of the case's own, holding a catalogue existing.mde, a text file
    // notes.txt and a copy of the Access file named; the run starts in it.
    void refusalsAreToldAndWriteNothing_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("access");  // test data file copied into the folder
        QTest::addColumn<QString>("message"); // part of the error output
        const auto row = [](const char* name, const QString& arguments, const QString& message,
                            const QString& access = QString()) {
            QTest::newRow(name) << arguments << access << message;
        };
        row("create over an existing file", u"create @dir/existing.mde"_s, u"existing.mde"_s);
        row("create without a file", u"create"_s, QString());
        row("create two files", u"create a.mde b.mde"_s, QString());
        row("create, unknown option", u"create --colour c.mde"_s, QString());
        row("unknown command", u"frobnicate"_s, QString());
        const QString reorder = u"tovin-catalog reorder: "_s;
        row("reorder without a catalogue", u"reorder"_s, reorder);
        row("reorder, missing file", u"reorder --db @dir/none.mde"_s, reorder);
        row("reorder, not a catalogue", u"reorder --db @dir/notes.txt"_s, reorder);
        row("reorder, unknown option", u"reorder --all"_s, reorder);
        row("report, missing report file", u"report nosuch --db @demo --pdf @dir/out.pdf"_s,
            u"no report file"_s);
        row("report, missing catalogue", u"report cost1 --db @dir/gone.mde --pdf @dir/out.pdf"_s,
            u"no catalogue"_s);
        row("report without pdf", u"report cost1 --db @demo"_s, u"--pdf FILE"_s);
        row("report, two names", u"report cost1 cost2 --db @demo --pdf @dir/out.pdf"_s,
            u"unexpected argument cost2"_s);
        row("report, unknown option", u"report cost1 --landscape --db @demo --pdf @dir/out.pdf"_s,
            u"unexpected argument --landscape"_s);
        // No Access file of the test data holds a catalogue: each is refused by name.
        row("convert Jet 3", u"convert @dir/nwind_jet3.mdb"_s,
            u"does not hold a catalogue: it lacks the tables Supplier, Catagory, Inventory"_s,
            u"nwind_jet3.mdb"_s);
        row("convert Jet 4", u"convert @dir/stock_inventory_jet4.mdb"_s,
            u"does not hold a catalogue: it lacks the tables Products, Supplier"_s,
            u"stock_inventory_jet4.mdb"_s);
        row("convert ACE", u"convert @dir/asset_sample_ace12.accdb"_s,
            u"does not hold a catalogue: it lacks the tables Products, Supplier"_s,
            u"asset_sample_ace12.accdb"_s);
    }
    void refusalsAreToldAndWriteNothing() {
        QFETCH(QString, arguments);
        QFETCH(QString, access);
        QFETCH(QString, message);
        QTemporaryDir dir;
        CatalogueDatabase::create(dir.filePath(u"existing.mde"_s));
        writeTestFile(dir.filePath(u"notes.txt"_s), "not a catalogue\n");
        if (!access.isEmpty()) {
            const QString original = testDataDir() + u"/mdb/"_s + access;
            QVERIFY2(QFile::copy(original, dir.filePath(access)), qPrintable(original));
        }
        const QString before = folderSnapshot(dir.path());
        const QString demoBefore = folderSnapshot(m_shared.path());
        const CliRun r = runProgram(line(arguments, dir), dir.path());
        QCOMPARE(r.status, 2);
        QVERIFY(!r.err.isEmpty());
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.out.isEmpty(), qPrintable(r.out));
        QCOMPARE(folderSnapshot(dir.path()), before);
        QCOMPARE(folderSnapshot(m_shared.path()), demoBefore);
    }
};

QTEST_GUILESS_MAIN(CliCommandsTest)
#include "tst_cli_commands.moc"
