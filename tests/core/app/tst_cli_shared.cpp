// Two programs on one catalogue on a server, as two computers of a shop run them: imports at the
// same time, and a screen editing a product while another program imports over it.
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "support/core/CliRun.h"
#include "support/core/TestServer.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class CliSharedTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    static QStringList importArguments(const QString& catalogue, const QString& list) {
        return test::argumentLine(
            u"import --db @db --source @list --divider comma --map 0=2,1=3,2=12 --note shared"_s,
            {{u"@db"_s, catalogue}, {u"@list"_s, list}});
    }
    // A price list of `items` products "<prefix>0", "<prefix>1", ... at `price` each.
    QString writeList(const QString& name, const QString& prefix, int items, int price) const {
        QByteArray text;
        for (int i = 0; i < items; ++i)
            text += u"%1%2,Item %2,%3.25\r\n"_s.arg(prefix).arg(i).arg(price).toUtf8();
        const QString path = m_dir.filePath(name);
        test::writeTestFile(path, text);
        return path;
    }
    static void finish(QProcess& import) {
        QVERIFY(import.waitForFinished(240000));
        const QString err = QString::fromUtf8(import.readAllStandardError());
        QVERIFY2(import.exitStatus() == QProcess::NormalExit && import.exitCode() == 0,
                 qPrintable(err));
    }

    // Runs the command lines one after the other on the catalogue at `location` ("@cat" in
    // them), and gives what each printed and its exit status, with the location named "CAT" and
    // files it wrote read back in place of their names.
    QString transcript(const QString& location, const QStringList& lines) const {
        QStringList told;
        for (const QString& line : lines) {
            const test::CliRun run = test::runProgram(
                test::argumentLine(line, {{u"@cat"_s, location}, {u"@dir"_s, m_dir.path()}}));
            told << QString::number(run.status) + u": "_s + run.out + run.err;
            if (line.contains(u"--out @dir/"_s))
                told << QString::fromUtf8(test::fileBytes(m_dir.filePath(u"out.txt"_s)));
        }
        // A run's time of day is the only thing two runs a second apart may tell differently.
        static const QRegularExpression time(u"\\b\\d\\d:\\d\\d:\\d\\d\\b"_s);
        return told.join(u"\n"_s).replace(location, u"CAT"_s).replace(time, u"hh:mm:ss"_s);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        if (test::clusterUri().isEmpty())
            QSKIP("no PostgreSQL cluster was started for this run");
    }

    // The same commands on the demo catalogue in a file and on a server tell the same, write
    // the same files and end the same way.
    void commandsTellTheSameOnBothEngines_data() {
        QTest::addColumn<QStringList>("lines");
        const QString import =
            u"import --db @cat --source @dir/prices.csv --divider comma --map 0=2,1=3,2=12 "
            u"--note nightly"_s;
        QTest::newRow("reorder list") << QStringList{u"reorder --db @cat"_s};
        QTest::newRow("export") << QStringList{
            u"export --db @cat --out @dir/out.txt --columns 2,3,12"_s};
        QTest::newRow("import, history, undo, history")
            << QStringList{import,
                           u"history --db @cat"_s,
                           u"undo --db @cat --run 1 --dry-run"_s,
                           u"undo --db @cat --run 1"_s,
                           u"history --db @cat"_s,
                           u"export --db @cat --out @dir/out.txt --columns 2,3,12"_s};
        QTest::newRow("bulk edit")
            << QStringList{u"bulk-edit --db @cat --set Retail=10%"_s,
                           u"export --db @cat --out @dir/out.txt --columns 2,12"_s};
        QTest::newRow("refusals") << QStringList{u"undo --db @cat --run 7"_s,
                                                 u"bulk-edit --db @cat --set Nothing=1"_s};
    }
    void commandsTellTheSameOnBothEngines() {
        QFETCH(QStringList, lines);
        test::writeTestFile(m_dir.filePath(u"prices.csv"_s),
                            "GD-605,Brass Lamp,12.50\r\nNEW-1,New Item,3.25\r\n");
        const QString file = m_dir.filePath(u"demo.mde"_s);
        QFile::remove(file);
        QCOMPARE(test::runProgram({u"create"_s, u"--demo"_s, file}).status, 0);
        test::ServerDatabase server;
        QCOMPARE(test::runProgram({u"create"_s, u"--demo"_s, server.uri()}).status, 0);
        const QString onFile = transcript(file, lines);
        QCOMPARE(transcript(server.uri(), lines), onFile);
    }

    // Two imports of the same products at once (imports of products of their own are in the
    // writers' test): the second import to reach a product edits it rather than adding it
    // again. No key is given twice, and no stock number is there twice.
    void importsOfTheSameProductsAtOnce() {
        constexpr int Each = 3000;
        test::ServerDatabase server;
        CatalogueDatabase::create(server.uri());
        const QString first = writeList(u"first.csv"_s, u"F"_s, Each, 4);
        const QString second = writeList(u"second.csv"_s, u"F"_s, Each, 7);
        QProcess imports[2];
        imports[0].start(QStringLiteral(TOVIN_APP_BINARY), importArguments(server.uri(), first));
        imports[1].start(QStringLiteral(TOVIN_APP_BINARY), importArguments(server.uri(), second));
        for (QProcess& import : imports)
            finish(import);
        CatalogueDatabase db(server.uri());
        QCOMPARE(db.scalar(u"SELECT count(*) FROM Products"_s).toInt(), Each);
        QCOMPARE(db.scalar(u"SELECT count(DISTINCT StockNo) FROM Products"_s).toInt(), Each);
        QCOMPARE(db.scalar(u"SELECT count(DISTINCT PID) FROM Products"_s).toInt(), Each);
        // Every price is one of the two files' prices.
        QCOMPARE(db.scalar(u"SELECT count(*) FROM Products WHERE Retail NOT IN (42500, 72500)"_s)
                     .toInt(),
                 0);
    }

    // A screen has typed a new retail price when another program's import changes that very
    // price: saving is refused in the screen's words, the typing stays, and nothing of the
    // import is written over.
    void editWhileAnotherProgramImports() {
        test::ServerDatabase server;
        CatalogueDatabase::create(server.uri());
        const QString list = writeList(u"list.csv"_s, u"E"_s, 50, 4);
        QCOMPARE(test::runProgram(importArguments(server.uri(), list)).status, 0);

        CatalogueDatabase db(server.uri());
        RecordSet rs;
        rs.open(u"select * from Products order by StockNo"_s, db);
        const int retail = rs.fieldIndex(u"Retail"_s);
        rs.setValue(retail, u"9.99"_s);

        const QString changed = writeList(u"changed.csv"_s, u"E"_s, 50, 8);
        QCOMPARE(test::runProgram(importArguments(server.uri(), changed)).status, 0);

        QString why;
        try {
            rs.update();
        } catch (const RunTimeError& error) {
            why = error.description();
        }
        QVERIFY2(why.contains(u"changed by another screen"_s), qPrintable(why));
        QVERIFY(rs.isDirty());
        QCOMPARE(rs.value(retail).toString(), u"9.99"_s);
        QCOMPARE(db.scalar(u"SELECT count(*) FROM Products WHERE Retail = 82500"_s).toInt(), 50);
    }
};

QTEST_GUILESS_MAIN(CliSharedTest)
#include "tst_cli_shared.moc"
