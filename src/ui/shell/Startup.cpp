#include "ui/shell/Startup.h"

#include "core/shell/ErrorReporting.h"
#include "core/shell/SharedState.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/QtPrompts.h"

#include <QApplication>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

int runProgram() {
    static QtPrompts prompts;
    shared().prompts = &prompts;
    std::unique_ptr<FrmMain> mainWindow;
    StepGuard step(u"(Module) Module::Sub Main"_s);
    step([&] {
        mainWindow = std::make_unique<FrmMain>();
        shared().MainWindow = mainWindow.get();
        mainWindow->MDIForm_Load();
    });
    step([&] { mainWindow->show(); });
    const int result = QApplication::exec();
    shared().MainWindow = nullptr;
    return result;
}

} // namespace tovin
