#pragma once

#include "core/catalogue/ServerSignIn.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>

class QAction;
class QMdiArea;
class QMenu;

namespace tovin {

class ConnectionStatus;
class FrmTip;
class MainStatusBar;
class MainToolBar;
struct CatalogueInUse;
struct PromptsInUse;
struct TaskScreenHandoff;

// The program's one top-level window: a multiple-document frame holding the child screens,
// with the menus, the button bar, the status bar and the placement it remembers between runs.
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Screen positions and sizes are kept in twips; the screen has 15 twips to a pixel.
    static constexpr int TwipsPerPixel = 15;

    // `catalogue` is the shell's open catalogue, which the window sets when it opens, restores or
    // shares one. `tasks` is the shell's hand-off to the task screens: File > Import opens the
    // import screen on the page of its tasks through it. `prompts` is where the window's
    // questions and notices go. All three must outlive the window.
    FrmMain(CatalogueInUse& catalogue, TaskScreenHandoff& tasks, PromptsInUse& prompts,
            QWidget* parent = nullptr);
    ~FrmMain() override;

    QMdiArea* mdiArea() const { return m_mdi; }
    // The catalogue the window has open.
    const CatalogueInUse& catalogue() const { return m_catalogue; }
    // Where the window's questions and notices go.
    PromptsInUse& prompts() const { return m_prompts; }
    MainToolBar* buttonBar() const { return m_toolBar; }
    MainStatusBar* statusPanels() const { return m_statusBar; }
    // The menu entry or menu with this control name ("mnuFileOpen", "mnuView"), or nullptr.
    QAction* entry(const QString& name) const;

    // What Exit does to end the program. By default it leaves the event loop at once, without
    // closing any window, so nothing is saved; tests put a recorder in its place.
    using ExitHandler = std::function<void()>;
    void setExitHandler(ExitHandler handler);
    // Where the passwords of shared catalogues are kept: the desktop's keyring unless a test
    // gives another store (which must outlive the window).
    void setPasswordStore(PasswordStore* store);
    // How a shared catalogue is tried before it becomes the open one: as every screen opens a
    // catalogue, unless a test gives a stand-in for a server.
    void setServerOpener(ServerSignIn::Opener opener);

    // The load of the window: settings, catalogue path, button captions, the Products screen
    // and the caption.
    void MDIForm_Load();
    // One-time work at the first activation: the View menu's check marks follow the bars.
    void MDIForm_Activate();
    // Saves placement, bars, button texts and catalogue path, unless the window is minimised.
    void MDIForm_Unload();

    // The commands of the menus and the button bar.
    void mnuFileOpen_Click();
    void mnuFileOpenShared_Click();
    // The import screen on the page of its tasks (supplier files, any text file, an Access
    // table...), as the Products screen's Build/Options opens it.
    void mnuFileImport_Click();
    void mnuFileSaveAs_Click();
    void mnuFileBackup_Click();
    void mnuFileRestore_Click();
    void mnuFileClose_Click();
    void mnuFileExit_Click();
    void mnuViewStatusBar_Click();
    void mnuButtonBar_Click();
    void mnuBText_Click();
    void mnuRestore_Click();
    void mnuHistory_Click();
    void mnuRestoreLabels_Click();
    void mnuHelpTip_Click();
    void mnuHelpAbout_Click();
    void mnuWindow_Arrange(int code);
    // Opens a child screen, or brings it to the front when it is open already.
    void openChildScreen(const QString& screen, const QString& entryName);
    void tbToolBar_ButtonClick(const QString& key);

    // The tip screen the Help menu opened and that is still open, if any.
    FrmTip* tipScreen() const { return m_tip; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    // The bars belong to the View menu; the window offers no menu of its own to hide them.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void buildMenus();
    QAction* addEntry(QMenu* menu, const QString& name, const QString& caption,
                      void (FrmMain::*handler)());
    void applyButtonCaptions();
    // Open Database with a chosen file: refuses one that is not a catalogue, else makes it the
    // catalogue and shows it in the Products screen.
    void switchCatalogue(const QString& path);
    // Makes the catalogue at `location`, already known to open, the open one: the Products
    // screen closes and opens again on it. False when that screen refused to close.
    bool makeOpen(const QString& location);
    // The Open Shared Catalogue dialog on `shown`: the address without password of the
    // catalogue it opened, or an empty text when cancelled. `problem` says why it was opened
    // unasked; `staysOpen` names the catalogue that stays open when one is refused.
    QString askForServer(const QString& shown, const QString& problem, const QString& staysOpen);
    // At start on a shared catalogue: signs in with the password kept for it, or asks for one.
    // False when the user gave up, so that no screen tries to open it.
    bool signInAtStart();
    // The title and the entries that depend on where the open catalogue lives.
    void showLocation();
    PasswordStore& passwords();
    ServerSignIn signIn();
    // Opens the Products screen on the catalogue, when it is registered.
    void showProducts();

    CatalogueInUse& m_catalogue;
    TaskScreenHandoff& m_tasks;
    PromptsInUse& m_prompts;
    QMdiArea* m_mdi;
    MainToolBar* m_toolBar = nullptr;
    MainStatusBar* m_statusBar = nullptr;
    ConnectionStatus* m_connectionStatus = nullptr;
    QPointer<FrmTip> m_tip;
    // Where the window was last while neither maximised nor minimised.
    QRect m_normalPlacement;
    ExitHandler m_exit;
    PasswordStore* m_passwords = nullptr;
    std::unique_ptr<PasswordStore> m_keyring;
    ServerSignIn::Opener m_serverOpener;
    // From the load to the first activation, which brings the View menu's ticks in line with
    // the bars.
    bool m_firstActivation = false;
};

} // namespace tovin
