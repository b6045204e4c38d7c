// Random clicks, keys and hostile texts on every screen of the whole program, with the rules
// that must always hold checked after each step; and the runs that once broke one, replayed.
#include "core/base/EventWait.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "support/ui/monkey/Monkey.h"
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
#include <QTest>
#include <cstdio>
#include <unistd.h>

// Present only in a build with the sanitizers.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test::monkey;

namespace {

QString replayAsked; // --replay FILE

int envNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

QString replayFolder() {
    const QString asked = qEnvironmentVariable("MONKEY_REPLAY_DIR");
    return asked.isEmpty() ? QDir::currentPath() + u"/monkey-replays"_s : asked;
}

// The notes the test library and the offscreen platform make about synthetic events would
// bury the step log.
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

// A sanitizer's report ends the process before the run can fail the test; its last words name
// the seed and the replay all the same.
QByteArray crashNote;

void writeCrashNote() {
    if (!crashNote.isEmpty() &&
        ::write(STDERR_FILENO, crashNote.constData(), size_t(crashNote.size())) < 0)
        crashNote.clear();
}

void noteForCrash(const QString& report) {
    crashNote = (u"MONKEY FAILURE: the program crashed; "_s + report + u'\n').toUtf8();
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(writeCrashNote);
}

} // namespace

class MonkeyTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

public:
    static void initMain() { WebEngineView::prepareApplication(); }

private:
    // One run on a fresh copy of the demo catalogue.
    RunResult runOnce(RunOptions options) {
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::Demo);
        options.order = &m_shell.order;
        RunResult result;
        {
            FrmMain main(m_shell.catalogue, m_shell.tasks, m_shell.prompts);
            ChildWindows::setArea(main.mdiArea());
            main.MDIForm_Load();
            main.show();
            if (!QTest::qWaitForWindowExposed(&main))
                qWarning("main window not exposed");
            result = run(main, folder.path(), options);
        }
        QTest::qWait(0);
        resumeWaits();
        m_shell.order = OrderSession{};
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

    void replayLinesKeepTheirTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("tab and line break") << u"a\tb\nc\r"_s;
        QTest::newRow("escape sign") << u"C:\\new\\table \\t"_s;
        QTest::newRow("trailing escape sign") << u"end\\"_s;
        QTest::newRow("right to left and emoji") << u"\u05E9\u05DC\U0001F600"_s;
    }
    // A replay that changed a typed text on the way through the file would not reproduce.
    void replayLinesKeepTheirTexts() {
        QFETCH(QString, text);
        const LogLine line{LogLine::Kind::Step, u"frmMain/<QWidget>#0"_s, u"type"_s, text};
        const QString written = toText(line);
        QCOMPARE(written.count(u'\t'), 3);
        QVERIFY(!written.contains(u'\n'));
        QCOMPARE(fromText(written), std::optional<LogLine>(line));
    }

    void randomRun() {
        if (!replayAsked.isEmpty())
            QSKIP("only the replay was asked for");
        bool seeded = false;
        const quint64 fixed = qEnvironmentVariable("MONKEY_SEED").toULongLong(&seeded);
        RunOptions options;
        options.seed = seeded ? fixed : quint64(QDateTime::currentMSecsSinceEpoch());
        std::printf("MONKEY_SEED=%llu\n", static_cast<unsigned long long>(options.seed));
        std::fflush(stdout);
        options.steps = envNumber("MONKEY_STEPS", 300);
        options.seconds = envNumber("MONKEY_SECONDS", 0);
        options.hangSeconds = envNumber("MONKEY_HANG_SECONDS", 120);
        options.replayOut = replayFolder() + u"/seed-%1.replay"_s.arg(options.seed);
        // Printed first, so that even a run that crashes or is killed can be replayed.
        std::printf("MONKEY_REPLAY=%s\n", qPrintable(options.replayOut));
        std::fflush(stdout);
        noteForCrash(u"seed %1, replay file %2"_s.arg(options.seed).arg(options.replayOut));
        const RunResult result = runOnce(options);
        std::printf("MONKEY_STEPS_RUN=%d\n", result.steps);
        QVERIFY2(result.passed, qPrintable(result.failure));
    }

    void replays_data() {
        QTest::addColumn<QString>("file");
        QStringList files;
        if (!replayAsked.isEmpty()) {
            files << replayAsked;
        } else {
            const QDir dir(test::testDataDir() + u"/monkey"_s);
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
        Replay replay;
        QVERIFY2(readReplay(file, replay), qPrintable(u"cannot read "_s + file));
        RunOptions options;
        options.seed = replay.seed;
        options.replay = replay;
        options.hangSeconds = envNumber("MONKEY_HANG_SECONDS", 120);
        options.replayOut =
            replayFolder() + u"/replayed-"_s + QFileInfo(file).completeBaseName() + u".replay"_s;
        const RunResult result = runOnce(options);
        QVERIFY2(result.passed, qPrintable(result.failure));
    }
};

// "--replay FILE" runs that file's steps (and nothing else); the other arguments go to the test
// library.
int main(int argc, char* argv[]) {
    QList<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--replay" && i + 1 < argc)
            replayAsked = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
        else
            rest << argv[i];
    }
    int restCount = int(rest.size());
    MonkeyTest::initMain();
    QApplication app(restCount, rest.data());
    QTEST_SET_MAIN_SOURCE_PATH
    MonkeyTest test;
    return QTest::qExec(&test, restCount, rest.data());
}

#include "tst_monkey.moc"
