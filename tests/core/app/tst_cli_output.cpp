#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueFile.h"
#include "support/core/CliRun.h"
#include "support/core/TestProgramFolder.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

// The environment of a job started by cron: no display, no session bus, no runtime folder.
QProcessEnvironment jobEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"XDG_RUNTIME_DIR"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s,
                                u"QT_QPA_PLATFORM"_s, u"DBUS_SESSION_BUS_ADDRESS"_s})
        environment.remove(name);
    return environment;
}

// Reads what the terminal's other end holds so far.
void drain(int terminal, QByteArray& into) {
    char buffer[4096];
    pollfd ready{terminal, POLLIN, 0};
    while (::poll(&ready, 1, 0) > 0) {
        const ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got <= 0)
            return;
        into.append(buffer, got);
    }
}

// Runs the program with its standard output on a terminal of its own, as a person at a shell
// runs it; the error output stays a pipe.
CliRun runOnTerminal(const QStringList& arguments) {
    int terminal = -1;
    int side = -1;
    if (::openpty(&terminal, &side, nullptr, nullptr, nullptr) != 0)
        return {};
    // Lines come back as written, without the terminal's carriage returns.
    termios mode{};
    ::tcgetattr(side, &mode);
    mode.c_oflag &= ~tcflag_t(OPOST);
    ::tcsetattr(side, TCSANOW, &mode);
    QProcess p;
    p.setProcessEnvironment(jobEnvironment());
    p.setChildProcessModifier([side] { ::dup2(side, STDOUT_FILENO); });
    p.start(QStringLiteral(TOVIN_APP_BINARY), arguments);
    ::close(side);
    QByteArray out;
    QElapsedTimer running;
    running.start();
    // A run that does not end in time keeps status -1 and fails the test that looks at it.
    while (!p.waitForFinished(50)) {
        drain(terminal, out);
        if (running.hasExpired(180000)) {
            p.kill();
            p.waitForFinished();
            break;
        }
    }
    drain(terminal, out);
    ::close(terminal);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(out),
            QString::fromUtf8(p.readAllStandardError())};
}

// Lines only a person watching a terminal gets.
const QRegularExpression ProgressLine(
    u"^(Getting Information From|Divider:|Adding Product ID|Copying |Exporting:|Page \\d)"_s,
    QRegularExpression::MultilineOption);

} // namespace

// What the command line prints, and where: progress lines on a terminal only, the totals in a
// pipe, nothing with --quiet, nothing on the error output when a command succeeds; and the
// window opened on a catalogue file named alone.
class CliOutputTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString shop() const { return m_dir->filePath(u"shop.mde"_s); }
    QStringList line(const QString& text) const {
        return argumentLine(u"--app-folder @app --settings @settings "_s + text,
                            {{u"@app"_s, m_folder->path()},
                             {u"@settings"_s, m_dir->filePath(u"settings.conf"_s)},
                             {u"@db"_s, shop()},
                             {u"@dir"_s, m_dir->path()}});
    }

private slots:
    void initTestCase() {
        m_folder = std::make_unique<TestProgramFolder>(TestProgramFolder::Catalogue::Demo);
    }
    // Each case works on a copy of the demo catalogue of its own, beside a small price list.
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        CatalogueDatabase(m_folder->cataloguePath()).copyTo(shop());
        writeTestFile(m_dir->filePath(u"prices.csv"_s), "N1,Pen,1.50\nN2,Ink,2\nN3,Cup,3\n");
        QByteArray lines;
        for (int i = 1; i <= 2500; ++i)
            lines += "L" + QByteArray::number(i) + ",Pen,1.50\n";
        writeTestFile(m_dir->filePath(u"long.csv"_s), lines);
    }

    // Every command, run as a nightly job into a pipe, succeeds without a word on the error
    // output: no note of Qt's, no warning about the missing runtime folder.
    void successSaysNothingOnErrorOutput_data() {
        QTest::addColumn<QString>("before"); // run first, to give the command something to do
        QTest::addColumn<QString>("arguments");
        const QString import = u"import --db @db --source @dir/prices.csv --map 0=2,1=3,2=7"_s;
        QTest::newRow("create") << QString() << u"create @dir/new.mde"_s;
        QTest::newRow("create the demo") << QString() << u"create --demo @dir/new.mde"_s;
        QTest::newRow("import") << QString() << import;
        QTest::newRow("reorder") << QString() << u"reorder --db @db"_s;
        QTest::newRow("report") << QString() << u"report inventory --db @db --pdf @dir/r.pdf"_s;
        QTest::newRow("pages") << QString() << u"pages --db @db --from 2 --to 3 --out @dir/p"_s;
        QTest::newRow("pages as a PDF")
            << QString() << u"pages --db @db --from 2 --to 2 --out @dir/p --pdf @dir/p.pdf"_s;
        QTest::newRow("export") << QString() << u"export --db @db --out @dir/o.txt --columns all"_s;
        QTest::newRow("bulk edit") << QString() << u"bulk-edit --db @db --set Retail=10%"_s;
        QTest::newRow("backup") << QString() << u"backup --db @db --to @dir/kept"_s;
        QTest::newRow("restore") << u"create --demo @dir/copy.mde"_s
                                 << u"restore --db @db --from @dir/copy.mde"_s;
        QTest::newRow("history") << import << u"history --db @db"_s;
        QTest::newRow("history of a run") << import << u"history --db @db --run 1"_s;
        QTest::newRow("undo") << import << u"undo --db @db --run 1"_s;
        QTest::newRow("share into a file") << QString() << u"share --db @db --to @dir/c.mde"_s;
        QTest::newRow("margins") << QString() << u"margins --db @db"_s;
    }
    void successSaysNothingOnErrorOutput() {
        QFETCH(QString, before);
        QFETCH(QString, arguments);
        // A temporary folder of the run's own shows what it leaves behind there.
        const QString temporary = m_dir->filePath(u"tmp"_s);
        QVERIFY(QDir().mkpath(temporary));
        QProcessEnvironment environment = jobEnvironment();
        environment.insert(u"TMPDIR"_s, temporary);
        if (!before.isEmpty()) {
            const CliRun first = runProgram(line(before), environment);
            QVERIFY2(first.status == 0, qPrintable(first.err));
        }
        const CliRun r = runProgram(line(arguments), environment);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        // The runtime folder it was given went with it; none was made for all the user's runs.
        QCOMPARE(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        QVERIFY2(!r.out.isEmpty(), "a command in a pipe still prints its totals");
        QVERIFY2(!ProgressLine.match(r.out).hasMatch(), qPrintable(r.out));
    }

    // In a pipe a command prints its closing lines only; on a terminal the progress comes first.
    void progressOnlyOnATerminal_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QStringList>("progress"); // the first lines a terminal shows
        QTest::addColumn<QString>("totals");       // the closing lines, in a pipe all there is
        QTest::newRow("import")
            << u"import --db @db --source @dir/prices.csv --map 0=2,1=3,2=7"_s
            << QStringList{u"Getting Information From: prices.csv"_s,
                           u"Divider: comma, quoted fields read whole"_s,
                           u"Adding Product ID # N3   Checked: 3   New: 3   Edited: 0"_s}
            << u"Total Checked: 3   Total Added: 3   Total Edited: 0\n"
               u"Margins of the 3 products added or changed"_s;
        // A line every 1000 items, and the last one.
        QTest::newRow("import of 2500 lines")
            << u"import --db @db --source @dir/long.csv --map 0=2,1=3,2=7"_s
            << QStringList{u"Getting Information From: long.csv"_s,
                           u"Divider: "_s,
                           u"Adding Product ID # L1000   Checked: 1000   New: 1000"_s,
                           u"Adding Product ID # L2000   Checked: 2000   New: 2000"_s,
                           u"Adding Product ID # L2500   Checked: 2500   New: 2500"_s,
                           u"Total Checked: 2500   Total Added: 2500"_s}
            << u"Total Checked: 2500   Total Added: 2500   Total Edited: 0\n"_s;
        QTest::newRow("export") << u"export --db @db --out @dir/o.txt --columns 2"_s
                                << QStringList{u"Exporting: 50"_s}
                                << u"Wrote 50 products to @dir/o.txt\n"_s;
        QTest::newRow("share") << u"share --db @db --to @dir/c.mde"_s
                               << QStringList{u"Copying Products: 50 of 50 rows"_s}
                               << u"Products: 50 rows\n"_s;
        QTest::newRow("pages") << u"pages --db @db --from 2 --to 2 --out @dir/p"_s
                               << QStringList{u"Page 2 CatPage2.htm: "_s} << u"Wrote "_s;
    }
    void progressOnlyOnATerminal() {
        QFETCH(QString, arguments);
        QFETCH(QStringList, progress);
        QFETCH(QString, totals);
        const auto closing = [&] { return QString(totals).replace(u"@dir"_s, m_dir->path()); };
        const CliRun piped = runProgram(line(arguments), jobEnvironment());
        QVERIFY2(piped.status == 0, qPrintable(piped.err));
        QVERIFY2(piped.out.startsWith(closing()), qPrintable(piped.out));

        init(); // the same work again, from the same start
        const CliRun shown = runOnTerminal(line(arguments));
        QVERIFY2(shown.status == 0, qPrintable(shown.err));
        const QStringList lines = shown.outLines();
        QVERIFY2(lines.size() > progress.size(), qPrintable(shown.out));
        for (qsizetype i = 0; i < progress.size(); ++i)
            QVERIFY2(lines.at(i).startsWith(progress.at(i)), qPrintable(shown.out));
        QVERIFY2(shown.out.contains(closing()), qPrintable(shown.out));
    }

    // --quiet, before or after the command and on a terminal too, prints nothing on success; a
    // failure still says why on the error output, with status 2.
    void quietPrintsNothingOnSuccess_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error"); // part of the error output of a failure
        const QString import = u"import --db @db --source @dir/prices.csv --map 0=2,1=3,2=7"_s;
        QTest::newRow("-q before the command") << u"-q "_s + import << false << 0 << QString();
        QTest::newRow("--quiet after the command")
            << import + u" --quiet"_s << false << 0 << QString();
        QTest::newRow("on a terminal") << import + u" -q"_s << true << 0 << QString();
        QTest::newRow("among the command's options")
            << u"export --db @db --quiet --out @dir/o.txt --columns all"_s << false << 0
            << QString();
        QTest::newRow("share") << u"--quiet share --db @db --to @dir/c.mde"_s << true << 0
                               << QString();
        QTest::newRow("a refused import")
            << u"-q import --db @db --source @dir/gone.csv --map 0=2"_s << false << 2
            << u"gone.csv"_s;
        QTest::newRow("a refused export")
            << u"export --quiet --db @db --out @dir/o.txt"_s << false << 2 << u"--columns"_s;
    }
    void quietPrintsNothingOnSuccess() {
        QFETCH(QString, arguments);
        QFETCH(bool, terminal);
        QFETCH(int, status);
        QFETCH(QString, error);
        const CliRun r = terminal ? runOnTerminal(line(arguments))
                                  : runProgram(line(arguments), jobEnvironment());
        QVERIFY2(r.status == status, qPrintable(r.err));
        QVERIFY2(r.out.isEmpty(), qPrintable(r.out));
        if (status == 0)
            QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        else
            QVERIFY2(r.err.contains(error), qPrintable(r.err));
    }

    // A catalogue file named alone opens the window on it, after the checks Open Database
    // makes; any other word is still an unknown command.
    void fileNamedAlone_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error"); // "@refusal": the refusal of Open Database
        QTest::newRow("a catalogue") << u"@db"_s << 0 << QString();
        QTest::newRow("a text file") << u"@dir/prices.csv"_s << 2 << u"@refusal"_s;
        QTest::newRow("an Access file") << u"@dir/old.mdb"_s << 2 << u"is an Access file"_s;
        QTest::newRow("a misspelt command")
            << u"imprt"_s << 2 << u"unknown command or option \"imprt\""_s;
        QTest::newRow("a missing file")
            << u"@dir/gone.mde"_s << 2 << u"unknown command or option"_s;
        QTest::newRow("a folder") << u"@dir"_s << 2 << u"unknown command or option"_s;
    }
    void fileNamedAlone() {
        QFETCH(QString, argument);
        QFETCH(int, status);
        QFETCH(QString, error);
        QVERIFY(
            QFile::copy(testDataDir() + u"/mdb/nwind_jet3.mdb"_s, m_dir->filePath(u"old.mdb"_s)));
        if (error == u"@refusal"_s)
            error = *CatalogueFile::refusal(m_dir->filePath(u"prices.csv"_s));
        QProcessEnvironment environment = jobEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        // The window shows for a moment and ends by itself.
        const CliRun r = runProgram(line(u"--quit-after-ms 1500 "_s + argument), environment);
        QVERIFY2(r.status == status, qPrintable(r.err));
        const QString copy = m_dir->filePath(
            u"Backups/shop-"_s + QDate::currentDate().toString(Qt::ISODate) + u".mde"_s);
        const QSettings settings(m_dir->filePath(u"settings.conf"_s), QSettings::IniFormat);
        if (status == 0) {
            // The window opened it: the day's first opening keeps a copy beside it, and the
            // catalogue is the one the window keeps for its next start.
            QVERIFY2(QFile::exists(copy), qPrintable(r.err));
            QCOMPARE(settings.value(u"Settings/DBName"_s).toString(), shop());
            return;
        }
        QVERIFY2(r.err.contains(u"tovin-catalog: "_s) && r.err.contains(error), qPrintable(r.err));
        QVERIFY(!QFile::exists(copy));
        QVERIFY(!settings.contains(u"Settings/DBName"_s));
    }
};

QTEST_GUILESS_MAIN(CliOutputTest)
#include "tst_cli_output.moc"
