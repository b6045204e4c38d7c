#include "app/CommandLine.h"
#include "app/CommandProgress.h"
#include "core/settings/ArgumentPasswords.h"
#include "ui/browser/WebEngineView.h"
#include "ui/shell/Startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMutex>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Qt's own notes during a batch command (the web engine's account of its graphics set-up when
// it prints off screen, say) are no news to a job that succeeded; they are kept and shown only
// when the command fails. The command's own messages go to the error output as they come.
struct HeldNotes {
    QMutex lock;
    QStringList notes;
};
HeldNotes& heldNotes() {
    static HeldNotes held;
    return held;
}
void holdNote(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QString note = qFormatLogMessage(type, context, message);
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(note));
        return;
    }
    const QMutexLocker locked(&heldNotes().lock);
    heldNotes().notes << note;
}

// Runs the batch command of the arguments under the application object already made.
int runBatchCommand() {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = tovin::runCommandLine(QCoreApplication::arguments(), out, err);
    out.flush();
    if (status > 0) {
        const QMutexLocker locked(&heldNotes().lock);
        for (const QString& note : std::as_const(heldNotes().notes))
            err << note << '\n';
    }
    err.flush();
    return status < 0 ? 0 : status;
}

// A job started by cron has no runtime folder; Qt would then complain on the error output and
// make one of its own under /tmp. A batch command gets a private folder (mode 0700) for as
// long as it runs instead.
std::optional<QTemporaryDir> privateRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return std::nullopt;
    std::optional<QTemporaryDir> folder(std::in_place,
                                        QDir::tempPath() + u"/tovin-runtime-XXXXXX"_s);
    if (folder->isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder->path()));
    return folder;
}

} // namespace

int main(int argc, char* argv[]) {
    // Before anything else: a password in a catalogue's address leaves the arguments every user
    // can list (the command then refuses to run with it).
    tovin::ArgumentPasswords::blank(argc, argv);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Batch commands need no window; decide before any application object exists.
    if (tovin::opensWindow(arguments)) {
        // The web views need their shared graphics contexts set up before the application.
        tovin::WebEngineView::prepareApplication();
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Tovin Catalog 2003 Demo"));
        QGuiApplication::setDesktopFileName(u"tovin-catalog"_s);
        QTextStream out(stdout);
        QTextStream err(stderr);
        tovin::StartOptions options;
        const int status = tovin::runCommandLine(QCoreApplication::arguments(), out, err, &options);
        if (status >= 0)
            return status;
        return tovin::runProgram(options);
    }
    qInstallMessageHandler(holdNote);
    // Progress lines are for a person watching; a pipe or a file gets the totals only.
    tovin::CommandProgress::setShown(isatty(STDOUT_FILENO) == 1);
    const std::optional<QTemporaryDir> runtime = privateRuntimeFolder();
    if (tovin::needsWebEngine(arguments)) {
        // Printing renders through the web engine; without a display it draws off screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
            qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        tovin::WebEngineView::prepareApplication();
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Tovin Catalog 2003 Demo"));
        return runBatchCommand();
    }
    // Commands that draw pages need fonts, but never a screen.
    const bool paints = tovin::commandPaints(tovin::firstWord(arguments));
    if (paints)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app = paints ? std::make_unique<QGuiApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    return runBatchCommand();
}
