#include "ui/shell/Startup.h"

#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/SchemaUpgrade.h"
#include "core/shell/ErrorReporting.h"
#include "ui/Screens.h"
#include "ui/shell/BackupActions.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmBusy.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmSplash.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/QtPrompts.h"
#include "ui/shell/ShellState.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMap>
#include <QPixmap>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

void complain(const QString& text) {
    std::fputs(qPrintable(text + u'\n'), stderr);
}

// The real dialogs, except that input and message boxes take the start options' answers
// first (pictures of the program show what follows a question).
class AnsweringPrompts : public QtPrompts {
public:
    explicit AnsweringPrompts(QStringList answers) : m_answers(std::move(answers)) {}
    QString input(const QString& prompt, const QString& title, const QString& text) override {
        if (m_answers.isEmpty())
            return QtPrompts::input(prompt, title, text);
        return m_answers.takeFirst();
    }
    MessageAnswer message(const QString& text, MessageButtons buttons, MessageIcon icon,
                          const QString& title) override {
        static const QMap<QString, MessageAnswer> known{{u"Yes"_s, MessageAnswer::Yes},
                                                        {u"No"_s, MessageAnswer::No},
                                                        {u"OK"_s, MessageAnswer::Ok}};
        if (!m_answers.isEmpty() && known.contains(m_answers.first()))
            return known.value(m_answers.takeFirst());
        return QtPrompts::message(text, buttons, icon, title);
    }

private:
    QStringList m_answers;
};

// "Screen/Control" presses a button, "Screen/Control=TEXT" types into a box.
void act(const QString& action) {
    const QString target = action.section(u'=', 0, 0);
    QWidget* screen = ChildWindows::find(target.section(u'/', 0, 0));
    const QString name = target.section(u'/', 1);
    if (!screen) {
        complain(u"tovin-catalog: no open screen for "_s + action);
        return;
    }
    if (action.contains(u'=')) {
        if (auto* box = screen->findChild<QLineEdit*>(name)) {
            const QString text = action.section(u'=', 1);
            box->setText(text);
            emit box->textEdited(text);
            return;
        }
    } else if (auto* button = screen->findChild<QAbstractButton*>(name)) {
        button->click();
        return;
    }
    complain(u"tovin-catalog: no control for "_s + action);
}

// Opens the asked-for screen, plays the actions and, when a picture is wanted, saves it and
// ends the program.
void applyStartOptions(FrmMain* mainWindow, ShellState& shell, const StartOptions& options,
                       bool& quitting) {
    if (!options.webAddress.isEmpty())
        shell.shopLogin.address = options.webAddress;
    if (!options.answers.isEmpty()) {
        static AnsweringPrompts answering(options.answers);
        shell.prompts.current = &answering;
    }
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
    for (qsizetype i = 0; i < options.actions.size(); ++i)
        QTimer::singleShot(500 * int(i + 1), mainWindow,
                           [action = options.actions.at(i)] { act(action); });
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
    // Made before the windows, so it outlives every screen it was handed to.
    ShellState shell;
    QtPrompts prompts;
    shell.prompts.current = &prompts;
    // An older catalogue's layout is brought up to date only after a copy of it was kept; the
    // copy's failure is told as the window tells everything. The hook goes with the shell.
    SchemaUpgrade::setBeforeUpgrade(
        [&shell](const QString& path) { BackupActions::beforeUpgrade(shell.prompts, path); });
    const auto noMoreUpgradeCopies = qScopeGuard([] { SchemaUpgrade::setBeforeUpgrade({}); });
    // A wait for another user writing the catalogue is seen, never a silent freeze.
    FrmBusy::watchWriterWaits();
    std::unique_ptr<FrmSplash> splash;
    std::unique_ptr<FrmMain> mainWindow;
    QPointer<FrmTip> tip;
    bool quitting = false;
    StepGuard step(u"(Module) Module::Sub Main"_s, shell.prompts);
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
        registerScreens(shell, screens);
    });
    step([&] {
        mainWindow = std::make_unique<FrmMain>(shell.catalogue, shell.tasks, shell.prompts);
        ChildWindows::setArea(mainWindow->mdiArea());
        mainWindow->MDIForm_Load();
    });
    if (!mainWindow)
        return 1;
    step([&] {
        tip = new FrmTip(shell.prompts, FrmTip::Opened::AtStartup, mainWindow.get());
        tip->Form_Load();
    });
    step([&] { splash.reset(); });
    step([&] { mainWindow->show(); });
    step([&] { applyStartOptions(mainWindow.get(), shell, options, quitting); });
    step([&] {
        if (tip && !tip->isUnloaded()) {
            tip->setWindowModality(Qt::WindowModal);
            tip->exec();
        }
    });
    return quitting ? 0 : QApplication::exec();
}

} // namespace tovin
