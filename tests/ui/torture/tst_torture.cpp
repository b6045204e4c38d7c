// Batch commands run as separate programs on one catalogue, several at once and some killed part
// way, beside the window driven by the monkey; after every wave the catalogue must be whole and
// hold exactly what the commands that ended did. And the runs that once broke it, replayed.
#include "core/base/EventWait.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/settings/SettingsStore.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "support/ui/torture/ExportComparison.h"
#include "support/ui/torture/Torture.h"
#include "support/ui/torture/TortureCluster.h"
#include "support/ui/torture/TortureCommand.h"
#include "support/ui/torture/TortureJudge.h"
#include "ui/Screens.h"
#include "ui/browser/WebEngineView.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/ShellState.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test::torture;

namespace {

QString replayAsked; // --replay FILE

int envNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// TORTURE_SERVER=1: the catalogue is on a private PostgreSQL cluster the run starts itself.
bool serverAsked() {
    return qEnvironmentVariableIntValue("TORTURE_SERVER") == 1;
}

bool serverLog(const Log& log) {
    return std::any_of(log.entries.cbegin(), log.entries.cend(), [](const Entry& entry) {
        return entry.kind == u"mode"_s && entry.number(u"server"_s, 0) == 1;
    });
}

QString replayFolder() {
    const QString asked = qEnvironmentVariable("TORTURE_REPLAY_DIR");
    return asked.isEmpty() ? QDir::currentPath() + u"/torture-replays"_s : asked;
}

// The notes the offscreen platform makes about the monkey's synthetic events would bury the
// wave log.
void quietenEventNotes() {
    test::quietenPlatformNotes();
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (type == QtFatalMsg || type == QtCriticalMsg ||
                (!message.contains(u"not accepted by receiving widget"_s) &&
                 !message.contains(u"QWidget::setFocus"_s)))
                previous(type, context, message);
        });
}

// Qt does not carry an exception out of an event handler: the program would end there. The
// test's application catches it instead, says where it came from, and the run fails with it.
class TortureApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const RunTimeError& error) {
            noteEscapedError(where(receiver, event) + u": "_s + error.description());
        } catch (const std::exception& error) {
            noteEscapedError(where(receiver, event) + u": "_s +
                             QString::fromLocal8Bit(error.what()));
        }
        return true;
    }

private:
    // "RecordSet in Products/Products (event 43)"
    static QString where(QObject* receiver, QEvent* event) {
        QStringList owners;
        for (QObject* up = receiver ? receiver->parent() : nullptr; up && owners.size() < 4;
             up = up->parent())
            owners << QString::fromLatin1(up->metaObject()->className()) +
                          (up->objectName().isEmpty() ? QString() : u'#' + up->objectName());
        return u"%1%2 (event %3)"_s.arg(
            receiver ? QString::fromLatin1(receiver->metaObject()->className()) : u"?"_s,
            owners.isEmpty() ? QString() : u" in "_s + owners.join(u" / "_s),
            QString::number(event ? int(event->type()) : -1));
    }
};

} // namespace

class TortureTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

public:
    static void initMain() { WebEngineView::prepareApplication(); }

private:
    // One run on a fresh copy of the demo catalogue, which the window opens: a file in the
    // program folder, or (`server`) a database of a private cluster that lives as long as the
    // run.
    Result runOnce(Options options, bool server) {
        std::unique_ptr<TortureCluster> cluster;
        Result result;
        if (server) {
            cluster = std::make_unique<TortureCluster>();
            result.passed = cluster->isRunning();
            result.failure = cluster->failure();
            if (!result.passed)
                return result;
            options.cluster = cluster.get();
        }
        test::TestProgramFolder folder(server ? test::TestProgramFolder::Catalogue::None
                                              : test::TestProgramFolder::Catalogue::Demo);
        if (server) {
            const Ran created = runToEnd({u"create"_s, u"--demo"_s, cluster->uri()});
            if (created.status != 0) {
                result.passed = false;
                result.failure =
                    u"the demo catalogue was not made on the server: "_s + created.err.trimmed();
                return result;
            }
            SettingsStore::program().setValue(u"Settings"_s, u"DBName"_s, cluster->uri());
            // The server names the window's backends so; each command's gets its own name.
            qputenv("PGAPPNAME", "torture-window");
        }
        {
            FrmMain main(m_shell.catalogue, m_shell.tasks, m_shell.prompts);
            ChildWindows::setArea(main.mdiArea());
            main.MDIForm_Load();
            main.show();
            if (!QTest::qWaitForWindowExposed(&main))
                qWarning("main window not exposed");
            result = run(main, folder.path(), folder.settingsFile(), options);
            ChildWindows::unloadAll();
        }
        QTest::qWait(0);
        resumeWaits();
        m_shell = ShellState{};
        qunsetenv("PGAPPNAME");
        return result;
    }

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenEventNotes();
        registerScreens(m_shell);
        // The web browser screen loads pages from the web: a screen that stays local stands in.
        ChildWindows::registerScreen(u"frmBrowser"_s, [] {
            auto* stand = new QLabel(u"(web browser)"_s);
            stand->setObjectName(u"frmBrowser"_s);
            return stand;
        });
    }

    void replayLinesKeepTheirValues_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << u"T0001-00002"_s;
        QTest::newRow("tab, line break and equals") << u"a\tb\nc=d"_s;
        QTest::newRow("escape sign at the end") << u"C:\\new\\"_s;
        QTest::newRow("empty") << QString();
    }
    // A replay whose monkey texts or names changed on the way through the file would not
    // reproduce.
    void replayLinesKeepTheirValues() {
        QFETCH(QString, value);
        Entry entry{u"mstep"_s, {}};
        entry.set(u"line"_s, value).set(u"id"_s, 7);
        const QString text = toText(entry);
        QVERIFY(!text.contains(u'\n'));
        const std::optional<Entry> back = entryFromText(text);
        QVERIFY(back);
        QCOMPARE(back->value(u"line"_s), value);
        QCOMPARE(back->number(u"id"_s), 7);
    }

    void exportedRecordsReadBack_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("rest");
        QTest::newRow("plain") << u"A1,Name,3.5\r\nA2"_s
                               << QStringList{u"A1"_s, u"Name"_s, u"3.5"_s} << u"A2"_s;
        QTest::newRow("quoted divider and quote")
            << u"A1,\"a, \"\"b\"\"\",\n"_s << QStringList{u"A1"_s, u"a, \"b\""_s, QString()}
            << QString();
        QTest::newRow("line break inside quotes")
            << u"A1,\"x\ny\",2\nB"_s << QStringList{u"A1"_s, u"x\ny"_s, u"2"_s} << u"B"_s;
    }
    // The export comparison reads names the monkey typed: a misread one would be a false alarm.
    void exportedRecordsReadBack() {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        QFETCH(QString, rest);
        QStringView view(text);
        QCOMPARE(nextCsvRecord(view), fields);
        QCOMPARE(view.toString(), rest);
    }

    void brokenHistoryIsFound_data() {
        QTest::addColumn<QString>("breaking");
        QTest::addColumn<QString>("told");
        QTest::newRow("whole") << QString() << QString();
        QTest::newRow("a run counting a row more than its journal holds")
            << u"UPDATE Runs SET Added = Added + 1 WHERE Run = 1"_s << u"run 1 counts"_s;
        QTest::newRow("an undo that never ended")
            << u"UPDATE Runs SET Added = NULL, Changed = NULL, Deleted = NULL WHERE Run = 2"_s
            << u"run 2, the undo of run 1, never ended"_s;
        QTest::newRow("a run taken back by an undo of another run")
            << u"UPDATE Runs SET UndoOf = 7 WHERE Run = 2"_s << u"told undone by run 2"_s;
        QTest::newRow("journal rows of a run the history lost")
            << u"DELETE FROM Runs WHERE Run = 1"_s << u"rows of run 1"_s;
    }
    // The check that stands in for SQLite's own on a server: an import taken back, then the
    // history broken in one way at a time.
    void brokenHistoryIsFound() {
        QFETCH(QString, breaking);
        QFETCH(QString, told);
        QTemporaryDir dir;
        const QString catalogue = dir.filePath(u"c.mde"_s);
        const QString prices = dir.filePath(u"f1.csv"_s);
        writeSupplierFile(prices, 1, 30, 1);
        QCOMPARE(runToEnd({u"create"_s, catalogue}).status, 0);
        const Ran imported =
            runToEnd({u"import"_s, u"--db"_s, catalogue, u"--source"_s, prices, u"--divider"_s,
                      u"comma"_s, u"--map"_s, u"0=2,1=3,2=12,3=5"_s});
        QVERIFY2(imported.status == 0, qPrintable(imported.err));
        QCOMPARE(runToEnd({u"undo"_s, u"--db"_s, catalogue, u"--run"_s, u"1"_s}).status, 0);
        CatalogueDatabase db(catalogue);
        if (!breaking.isEmpty())
            db.run(breaking);
        const QString problems = historyProblems(db).join(u"; "_s);
        if (told.isEmpty())
            QVERIFY2(problems.isEmpty(), qPrintable(problems));
        else
            QVERIFY2(problems.contains(told), qPrintable(problems));
    }

    void randomRun() {
        if (!replayAsked.isEmpty())
            QSKIP("only the replay was asked for");
        bool seeded = false;
        const quint64 fixed = qEnvironmentVariable("TORTURE_SEED").toULongLong(&seeded);
        Options options;
        options.seed = seeded ? fixed : quint64(QDateTime::currentMSecsSinceEpoch());
        options.seconds = envNumber("TORTURE_SECONDS", 30);
        const bool server = serverAsked();
        options.logOut =
            replayFolder() +
            (server ? u"/server-seed-%1.replay"_s : u"/seed-%1.replay"_s).arg(options.seed);
        // Printed first, so that even a run that crashes or is killed can be replayed.
        std::printf("TORTURE_SEED=%llu\nTORTURE_REPLAY=%s\n",
                    static_cast<unsigned long long>(options.seed), qPrintable(options.logOut));
        std::fflush(stdout);
        const Result result = runOnce(options, server);
        std::printf("TORTURE_WAVES=%d\nTORTURE_COMMANDS=%d\nTORTURE_KILLS=%d\n", result.waves,
                    result.commands, result.kills);
        if (server)
            std::printf("TORTURE_TERMINATIONS=%d\nTORTURE_RESTARTS=%d\n", result.terminations,
                        result.restarts);
        std::fflush(stdout);
        QVERIFY2(result.passed, qPrintable(result.failure));
    }

    void replays_data() {
        QTest::addColumn<QString>("file");
        QStringList files;
        if (!replayAsked.isEmpty()) {
            files << replayAsked;
        } else {
            const QDir dir(test::testDataDir() + u"/torture"_s);
            for (const QString& name : dir.entryList({u"*.replay"_s}, QDir::Files, QDir::Name))
                files << dir.filePath(name);
        }
        if (files.isEmpty())
            QTest::newRow("none") << QString();
        for (const QString& file : files)
            QTest::newRow(qPrintable(QFileInfo(file).completeBaseName())) << file;
    }
    void replays() {
        QFETCH(QString, file);
        if (file.isEmpty())
            QSKIP("no replay files");
        Log log;
        QVERIFY2(readLog(file, log), qPrintable(u"cannot read "_s + file));
        Options options;
        options.seed = log.seed;
        options.replay = log;
        options.logOut =
            replayFolder() + u"/replayed-"_s + QFileInfo(file).completeBaseName() + u".replay"_s;
        const Result result = runOnce(options, serverLog(log));
        QVERIFY2(result.passed, qPrintable(result.failure));
    }
};

// "--replay FILE" (or TORTURE_REPLAY=FILE) runs that file's actions and nothing else; the other
// arguments go to the test library.
int main(int argc, char* argv[]) {
    QList<char*> rest;
    replayAsked = qEnvironmentVariable("TORTURE_REPLAY");
    for (int i = 0; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--replay" && i + 1 < argc)
            replayAsked = QString::fromLocal8Bit(argv[++i]);
        else
            rest << argv[i];
    }
    if (!replayAsked.isEmpty())
        replayAsked = QFileInfo(replayAsked).absoluteFilePath();
    int restCount = int(rest.size());
    TortureTest::initMain();
    TortureApplication app(restCount, rest.data());
    QTEST_SET_MAIN_SOURCE_PATH
    TortureTest test;
    return QTest::qExec(&test, restCount, rest.data());
}

#include "tst_torture.moc"
