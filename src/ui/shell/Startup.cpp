#include "ui/shell/Startup.h"

#include "core/shell/ErrorReporting.h"
#include "core/shell/EventWait.h"
#include "core/shell/SharedState.h"
#include "ui/Screens.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmSplash.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/QtPrompts.h"

#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

void complain(const QString& text) {
    std::fputs(qPrintable(text + u'\n'), stderr);
}

// Opens the asked-for screen and, when a picture is wanted, saves it and ends the program.
void applyStartOptions(FrmMain* mainWindow, const StartOptions& options, bool& quitting) {
    if (!options.webAddress.isEmpty())
        shared().WebAddress = options.webAddress;
    bool fromMenu = false;
    if (!options.openScreen.isEmpty() && !ChildWindows::show(options.openScreen)) {
        // A menu entry (a report) runs once the event loop runs, as a click would.
        if (QAction* entry = mainWindow->entry(options.openScreen)) {
            QTimer::singleShot(0, entry, &QAction::trigger);
            fromMenu = true;
        } else {
            complain(u"tovin-catalog: there is no screen named "_s + options.openScreen);
        }
    }
    if (options.quitAfterMs < 0)
        return;
    QTimer::singleShot(options.quitAfterMs, mainWindow, [mainWindow, options, fromMenu, &quitting] {
        // The dialog a menu entry opened (a report's print preview) is what the user sees.
        QWidget* shown = fromMenu ? QApplication::activeModalWidget() : nullptr;
        if (!shown)
            shown = mainWindow;
        if (!options.screenshotFile.isEmpty() && !shown->grab().save(options.screenshotFile))
            complain(u"tovin-catalog: could not write "_s + options.screenshotFile);
        quitting = true;
        QCoreApplication::exit(0);
    });
}

} // namespace

int runProgram(const StartOptions& options) {
    static QtPrompts prompts;
    shared().prompts = &prompts;
    std::unique_ptr<FrmSplash> splash;
    std::unique_ptr<FrmMain> mainWindow;
    QPointer<FrmTip> tip;
    bool quitting = false;
    StepGuard step(u"(Module) Module::Sub Main"_s);
    step([&] {
        splash = std::make_unique<FrmSplash>();
        splash->Form_Load();
        splash->show();
        splash->repaint();
        letEventsRun();
    });
    // The main window offers entries for the screens registered before it is made.
    step([&] {
        ScreenOptions screens;
        screens.largeProductsPreview = options.largePreview;
        registerScreens(screens);
    });
    step([&] {
        mainWindow = std::make_unique<FrmMain>();
        shared().MainWindow = mainWindow.get();
        ChildWindows::setArea(mainWindow->mdiArea());
        mainWindow->MDIForm_Load();
    });
    if (!mainWindow)
        return 1;
    step([&] {
        tip = new FrmTip(mainWindow.get());
        tip->Form_Load();
    });
    step([&] { splash.reset(); });
    step([&] { mainWindow->show(); });
    step([&] { applyStartOptions(mainWindow.get(), options, quitting); });
    step([&] {
        if (tip && !tip->isUnloaded()) {
            tip->setWindowModality(Qt::WindowModal);
            tip->exec();
        }
    });
    const int result = quitting ? 0 : QApplication::exec();
    shared().MainWindow = nullptr;
    return result;
}

} // namespace tovin
