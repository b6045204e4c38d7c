#include "app/CommandLine.h"
#include "core/shell/ArgumentPasswords.h"
#include "ui/browser/WebEngineView.h"
#include "ui/shell/Startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace {

// Runs the batch command of the arguments under the application object already made.
int runBatchCommand() {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = tovin::runCommandLine(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return status < 0 ? 0 : status;
}

} // namespace

int main(int argc, char* argv[]) {
    // Before anything else: a password in a catalogue's address leaves the arguments every user
    // can list (the command then refuses to run with it).
    tovin::ArgumentPasswords::blank(argc, argv);
    // Batch commands need no window; decide before any application object exists.
    bool windowed = true;
    bool paints = false;
    for (int i = 1; i < argc; ++i) {
        if (tovin::isProgramOption(QString::fromLocal8Bit(argv[i]))) {
            ++i;
            continue;
        }
        windowed = false;
        paints = tovin::commandPaints(QString::fromLocal8Bit(argv[i]));
        break;
    }
    if (windowed) {
        // The web views need their shared graphics contexts set up before the application.
        tovin::WebEngineView::prepareApplication();
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Tovin Catalog 2003 Demo"));
        QTextStream out(stdout);
        QTextStream err(stderr);
        tovin::StartOptions options;
        const int status = tovin::runCommandLine(QCoreApplication::arguments(), out, err, &options);
        if (status >= 0)
            return status;
        return tovin::runProgram(options);
    }
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
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
    if (paints)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app = paints ? std::make_unique<QGuiApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    return runBatchCommand();
}
