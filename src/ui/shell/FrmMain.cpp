#include "ui/shell/FrmMain.h"

#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueFile.h"
#include "core/catalogue/CatalogueOffers.h"
#include "core/catalogue/ServerSignIn.h"
#include "core/convert/AccessTableSource.h"
#include "core/files/ProgramFolder.h"
#include "core/products/ProductScreenSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/TaskScreenHandoff.h"
#include "core/shell/WindowPlacement.h"
#include "core/storage/CatalogueLocation.h"
#include "core/text/NumberFormat.h"
#include "core/text/NumberText.h"
#include "ui/browser/WebBrowserEntry.h"
#include "ui/products/ProductBoxes.h"
#include "ui/reports/ReportsMenu.h"
#include "ui/shell/BackupActions.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ConnectionStatus.h"
#include "ui/shell/ControlTexts.h"
#include "ui/shell/FrmAbout.h"
#include "ui/shell/FrmBusy.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/MainStatusBar.h"
#include "ui/shell/MainToolBar.h"
#include "ui/shell/MdiArrange.h"
#include "ui/shell/OldCatalogueOpen.h"
#include "ui/shell/WindowList.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString MainSettings = u"Settings"_s;

QString mainLabel(const QString& procedure) {
    return formLabel(u"frmMain"_s, procedure);
}

// The Forms menu: entry name, caption and the child screen it opens.
struct FormEntry {
    QString name;
    QString caption;
    QString screen;
};

const QList<FormEntry>& formEntries() {
    static const QList<FormEntry> entries{
        {u"mnuDataCatagory"_s, u"&Catagory"_s, u"Catagory"_s},
        {u"mnuDatafrmInventory"_s, u"&Inventory"_s, u"frmInventory"_s},
        {u"mnuDatafrmInvoice"_s, u"In&voice"_s, u"frmInvoice"_s},
        {u"mnuDatafrmOrders"_s, u"&Orders"_s, u"frmOrders"_s},
        {u"mnuDatafrmSales"_s, u"S&ales"_s, u"frmSales"_s},
        {u"mnuDatafrmSetup"_s, u"Se&tup"_s, u"frmSetup"_s},
        {u"mnuDatafrmSupplier"_s, u"S&upplier"_s, u"frmSupplier"_s},
        {u"mnuDataProducts"_s, u"&Products"_s, u"Products"_s},
    };
    return entries;
}

QString entryForScreen(const QString& screen) {
    for (const FormEntry& e : formEntries())
        if (e.screen == screen)
            return e.name;
    return QString();
}

// A stored position or size in twips, as pixels; a text that is not a number raises error 13.
int storedPixels(const QString& key, double defaultTwips) {
    const QString text =
        SettingsStore::program().value(MainSettings, key, TextRules::plainDecimal(defaultTwips));
    const double twips = TextRules::CDbl(text);
    const double pixels = twips / FrmMain::TwipsPerPixel;
    if (pixels > std::numeric_limits<int>::max() / 2 ||
        pixels < -std::numeric_limits<int>::max() / 2)
        throw RunTimeError(ErrorNumber::Overflow, u"Overflow"_s);
    return qRound(pixels);
}

QString twipsText(int pixels) {
    return TextRules::plainDecimal(double(pixels) * FrmMain::TwipsPerPixel);
}

} // namespace

FrmMain::FrmMain(CatalogueInUse& catalogue, TaskScreenHandoff& tasks, PromptsInUse& prompts,
                 QWidget* parent)
    : QMainWindow(parent), m_catalogue(catalogue), m_tasks(tasks), m_prompts(prompts),
      m_mdi(new QMdiArea(this)), m_exit([] { QCoreApplication::exit(0); }) {
    setObjectName(u"frmMain"_s);
    // The icon the desktop shows for the program, the bundled one where no theme has it.
    setWindowIcon(QIcon::fromTheme(u"tovin-catalog"_s, QIcon(u":/icons/tovin-catalog.png"_s)));
    m_mdi->setObjectName(u"mdiArea"_s);
    // Screens larger than the window can be scrolled into view.
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    ChildWindows::setArea(m_mdi);
    // Entries and buttons that open screens exist only for the screens registered by now.
    buildMenus();
    m_toolBar = new MainToolBar(this);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    connect(m_toolBar, &MainToolBar::buttonClicked, this, &FrmMain::tbToolBar_ButtonClick);
    m_statusBar = new MainStatusBar(this);
    setStatusBar(m_statusBar);
    m_connectionStatus = new ConnectionStatus(m_statusBar, m_catalogue, this);
    // User's files kept over a program update (their new versions put beside them) are told once.
    if (const QString notice = ProgramFolder::takeRefreshNotice(); !notice.isEmpty())
        m_statusBar->showPassing(notice);
    // F10 opens the menu bar at its first menu; the arrow keys and access keys go on from there.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    menuKey->setObjectName(u"menuBarKey"_s);
    connect(menuKey, &QShortcut::activated, this, [this] {
        const QList<QAction*> menus = menuBar()->actions();
        const auto first = std::find_if(menus.cbegin(), menus.cend(),
                                        [](QAction* menu) { return menu->isVisible(); });
        if (first != menus.cend())
            menuBar()->setActiveAction(*first);
    });
    resize(800, 600);
}

FrmMain::~FrmMain() = default;

QAction* FrmMain::entry(const QString& name) const {
    return findChild<QAction*>(name);
}

void FrmMain::setExitHandler(ExitHandler handler) {
    m_exit = std::move(handler);
}

QAction* FrmMain::addEntry(QMenu* menu, const QString& name, const QString& caption,
                           void (FrmMain::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, action, handler] {
        // A checkable entry has been flipped already; its handler does the flipping itself.
        if (action->isCheckable())
            action->setChecked(!action->isChecked());
        (this->*handler)();
    });
    return action;
}

void FrmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    const auto addMenu = [bar](const QString& name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    const auto addSeparator = [](QMenu* menu, const QString& name) {
        menu->addSeparator()->setObjectName(name);
    };

    QMenu* file = addMenu(u"mnuFile"_s, u"&File"_s);
    addEntry(file, u"mnuFileOpen"_s, u"&Open Database"_s, &FrmMain::mnuFileOpen_Click);
    addEntry(file, u"mnuFileOpenShared"_s, u"Open S&hared Catalogue..."_s,
             &FrmMain::mnuFileOpenShared_Click);
    if (ChildWindows::isRegistered(u"BuildDB"_s))
        addEntry(file, u"mnuFileImport"_s, u"&Import..."_s, &FrmMain::mnuFileImport_Click);
    addEntry(file, u"mnuFileSaveAs"_s, u"&Save DataBase As"_s, &FrmMain::mnuFileSaveAs_Click);
    addEntry(file, u"mnuFileBackup"_s, u"Back &Up Now"_s, &FrmMain::mnuFileBackup_Click);
    addEntry(file, u"mnuFileRestore"_s, u"&Restore From Backup"_s, &FrmMain::mnuFileRestore_Click);
    // A disabled entry says why in its tip.
    file->setToolTipsVisible(true);
    addSeparator(file, u"mnuFileBar1"_s);
    addEntry(file, u"mnuFileClose"_s, u"&Close Active Form"_s, &FrmMain::mnuFileClose_Click);
    addSeparator(file, u"mnuFileBar5"_s);
    addEntry(file, u"mnuFileExit"_s, u"E&xit"_s, &FrmMain::mnuFileExit_Click);

    QMenu* view = addMenu(u"mnuView"_s, u"&View"_s);
    // Checked as designed: both bars show, with their captions.
    for (QAction* action :
         {addEntry(view, u"mnuViewStatusBar"_s, u"&Status Bar"_s, &FrmMain::mnuViewStatusBar_Click),
          addEntry(view, u"mnuButtonBar"_s, u"&Button Bar"_s, &FrmMain::mnuButtonBar_Click),
          addEntry(view, u"mnuBText"_s, u"Button &Text"_s, &FrmMain::mnuBText_Click)}) {
        action->setCheckable(true);
        action->setChecked(true);
    }
    addWebBrowserEntry(view, m_prompts);

    QMenu* forms = addMenu(u"mnuData"_s, u"F&orms"_s);
    for (const FormEntry& e : formEntries()) {
        if (!ChildWindows::isRegistered(e.screen))
            continue;
        QAction* action = forms->addAction(e.caption);
        action->setObjectName(e.name);
        connect(action, &QAction::triggered, this,
                [this, e] { openChildScreen(e.screen, e.name); });
    }
    forms->menuAction()->setVisible(!forms->isEmpty());

    QMenu* tools = addMenu(u"mnuTools"_s, u"&Tools"_s);
    ReportsMenu::addTo(this, tools, m_catalogue, m_prompts);
    addEntry(tools, u"mnuRestore"_s, u"Restore &Text Boxes"_s, &FrmMain::mnuRestore_Click);
    addEntry(tools, u"mnuRestoreLabels"_s, u"Restore &Label Names"_s,
             &FrmMain::mnuRestoreLabels_Click);
    addEntry(tools, u"mnuHistory"_s, u"&History of Changes"_s, &FrmMain::mnuHistory_Click);

    QMenu* window = addMenu(u"mnuWindow"_s, u"&Window"_s);
    const struct {
        QString name;
        QString caption;
        int code;
    } arrangements[] = {
        {u"mnuWindowCascade"_s, u"&Cascade"_s, MdiArrange::Cascade},
        {u"mnuWindowTileHorizontal"_s, u"Tile &Horizontal"_s, MdiArrange::TileHorizontal},
        {u"mnuWindowTileVertical"_s, u"Tile &Vertical"_s, MdiArrange::TileVertical},
        {u"mnuWindowArrangeIcons"_s, u"&Arrange Icons"_s, MdiArrange::ArrangeIcons},
    };
    for (const auto& a : arrangements) {
        QAction* action = window->addAction(a.caption);
        action->setObjectName(a.name);
        const int code = a.code;
        connect(action, &QAction::triggered, this, [this, code] { mnuWindow_Arrange(code); });
    }
    // The open screens are listed below the arrangements, as they are when the menu opens.
    connect(window, &QMenu::aboutToShow, this, [this, window] { WindowList::fill(window, m_mdi); });

    QMenu* help = addMenu(u"mnuHelp"_s, u"&Help"_s);
    addEntry(help, u"mnuHelpTip"_s, u"&Tip Of The Day"_s, &FrmMain::mnuHelpTip_Click);
    addSeparator(help, u"mnuHelpBar0"_s);
    addEntry(help, u"mnuHelpAbout"_s, u"&About"_s, &FrmMain::mnuHelpAbout_Click);
}

void FrmMain::MDIForm_Load() {
    StepGuard step(mainLabel(u"MDIForm_Load"_s), m_prompts);
    SettingsStore& settings = SettingsStore::program();
    m_firstActivation = true;
    step([this] { ApplyControlTexts(this); });
    // Stored values rule; without them the window opens where the Products screen shows whole.
    // A stored value that does not convert leaves that one value as the window has it.
    QRect firstStart;
    step([&] {
        const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
        firstStart = WindowPlacement::firstStart(where ? where->availableGeometry() : QRect());
    });
    const auto twips = [](int pixels) { return double(pixels) * TwipsPerPixel; };
    step([&] { move(storedPixels(u"MainLeft"_s, twips(firstStart.x())), y()); });
    step([&] { move(x(), storedPixels(u"MainTop"_s, twips(firstStart.y()))); });
    step([&] { resize(storedPixels(u"MainWidth"_s, twips(firstStart.width())), height()); });
    step([&] { resize(width(), storedPixels(u"MainHeight"_s, twips(firstStart.height()))); });
    // A placement left on a screen that is gone, or one that shrank, comes back into reach.
    step([this] {
        QList<QRect> areas;
        for (const QScreen* each : QGuiApplication::screens())
            areas << each->availableGeometry();
        const QRect kept = WindowPlacement::keepVisible(QRect(pos(), size()), areas);
        move(kept.topLeft());
        resize(kept.size());
        m_normalPlacement = kept;
    });
    // A window closed maximised opens maximised, over the placement it goes back to.
    step([&] {
        if (settings.flag(MainSettings, u"MainMaximized"_s, false))
            setWindowState(windowState() | Qt::WindowMaximized);
    });
    step([&] {
        const bool shown = settings.flag(MainSettings, u"StatusVis"_s, true);
        m_statusBar->setVisible(shown);
        entry(u"mnuViewStatusBar"_s)->setChecked(shown);
    });
    step([&] {
        const bool shown = settings.flag(MainSettings, u"ButtonVis"_s, true);
        m_toolBar->setVisible(shown);
        entry(u"mnuButtonBar"_s)->setChecked(shown);
    });
    step([&] {
        entry(u"mnuBText"_s)->setChecked(settings.flag(MainSettings, u"ButtonTxt"_s, true));
    });
    step([&] {
        const QString fallback = ProgramFolder::path() + u"tovin2003-a.mde"_s;
        const QString stored = settings.value(MainSettings, u"DBName"_s, fallback);
        m_catalogue.path = stored.isEmpty() ? fallback : stored;
    });
    bool signedIn = true;
    step([&] {
        if (CatalogueLocation::isServer(m_catalogue.path))
            signedIn = signInAtStart();
    });
    step([this] { BackupActions::dailyOnOpen(m_prompts, m_catalogue.path); });
    step([this] { applyButtonCaptions(); });
    step([&] {
        if (signedIn && ChildWindows::isRegistered(u"Products"_s))
            openChildScreen(u"Products"_s, u"mnuDataProducts"_s);
    });
    step([this] { showLocation(); });
}

void FrmMain::showLocation() {
    m_connectionStatus->catalogueOpened();
    setWindowTitle(CatalogueOffers::windowTitle(m_catalogue.path));
    const std::optional<QString> refusal = CatalogueOffers::backupRefusal(m_catalogue.path);
    for (const QString& name : {u"mnuFileBackup"_s, u"mnuFileRestore"_s}) {
        QAction* action = entry(name);
        action->setEnabled(!refusal);
        action->setToolTip(refusal.value_or(QString()));
        action->setStatusTip(refusal.value_or(QString()));
    }
}

void FrmMain::MDIForm_Activate() {
    StepGuard step(mainLabel(u"MDIForm_Activate"_s), ErrorStyle::IgnoreAndResume);
    if (!m_firstActivation)
        return;
    step([this] { entry(u"mnuViewStatusBar"_s)->setChecked(!m_statusBar->isHidden()); });
    step([this] { entry(u"mnuButtonBar"_s)->setChecked(!m_toolBar->isHidden()); });
    m_firstActivation = false;
}

void FrmMain::MDIForm_Unload() {
    StepGuard step(mainLabel(u"MDIForm_Unload"_s), m_prompts);
    if (isMinimized())
        return;
    SettingsStore& settings = SettingsStore::program();
    // A maximised window keeps the placement it had before, which it returns to when restored.
    const bool maximised = isMaximized();
    const QRect placed =
        maximised && m_normalPlacement.isValid() ? m_normalPlacement : QRect(pos(), size());
    step([&] { settings.setValue(MainSettings, u"MainLeft"_s, twipsText(placed.x())); });
    step([&] { settings.setValue(MainSettings, u"MainTop"_s, twipsText(placed.y())); });
    step([&] { settings.setValue(MainSettings, u"MainWidth"_s, twipsText(placed.width())); });
    step([&] { settings.setValue(MainSettings, u"MainHeight"_s, twipsText(placed.height())); });
    step([&] { settings.setFlag(MainSettings, u"MainMaximized"_s, maximised); });
    step([&] { settings.setFlag(MainSettings, u"StatusVis"_s, !m_statusBar->isHidden()); });
    step([&] { settings.setFlag(MainSettings, u"ButtonVis"_s, !m_toolBar->isHidden()); });
    step(
        [&] { settings.setFlag(MainSettings, u"ButtonTxt"_s, entry(u"mnuBText"_s)->isChecked()); });
    step([&] { settings.setValue(MainSettings, u"DBName"_s, m_catalogue.path); });
    step([&] { settings.sync(); });
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // Every child screen closes first (its own unload runs); one that refuses keeps the
    // program open. A screen waiting for another drops its procedure, unless the close is
    // refused.
    abandonWaits();
    if (!ChildWindows::unloadAll()) {
        resumeWaits();
        event->ignore();
        return;
    }
    if (m_tip)
        m_tip->close();
    MDIForm_Unload();
    event->accept();
}

bool FrmMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        MDIForm_Activate();
    // The placement a maximised window returns to: the platform's own record of it mixes frame
    // and inner positions, so the window keeps it from its own moves while it is normal.
    const bool placing = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (placing && isVisible() &&
        !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        m_normalPlacement = QRect(pos(), size());
    return QMainWindow::event(event);
}

void FrmMain::applyButtonCaptions() {
    m_toolBar->setCaptionsShown(entry(u"mnuBText"_s)->isChecked());
}

void FrmMain::openChildScreen(const QString& screen, const QString& entryName) {
    StepGuard step(mainLabel(entryName + u"_Click"_s), m_prompts);
    BusyCursor busy;
    letEventsRun();
    step([&] { ChildWindows::show(screen); });
}

void FrmMain::mnuFileOpen_Click() {
    StepGuard step(mainLabel(u"mnuFileOpen_Click"_s), m_prompts);
    QString chosen;
    step([&] {
        FileDialogRequest request;
        request.fileName = QString();
        request.filter = QString::fromUtf16(CatalogueFile::DialogFilter);
        chosen = m_prompts.required().openFile(request);
    });
    if (!chosen.isEmpty())
        step([&] { switchCatalogue(chosen); });
    step([this] { showLocation(); });
}

void FrmMain::switchCatalogue(const QString& chosen) {
    // A catalogue of the older program (an Access file) is converted into a new catalogue
    // beside it, which is then opened.
    QString path = chosen;
    if (AccessTableSource::looksLikeAccessFile(chosen)) {
        const std::optional<QString> converted =
            convertOldCatalogue(m_prompts.required(), this, chosen, m_catalogue.path);
        if (!converted)
            return;
        path = *converted;
        m_statusBar->showPassing(u"Converted "_s + chosen + u" into "_s + path);
    }
    // A file that is not a catalogue is refused before anything changes: the open catalogue
    // and the path saved for the next start stay.
    if (const std::optional<QString> reason = CatalogueFile::refusal(path)) {
        m_prompts.required().notice(*reason + u"\n\nThe catalogue "_s + m_catalogue.path +
                                        u" stays open."_s,
                                    MessageIcon::Exclamation, SettingsStore::ApplicationTitle);
        return;
    }
    makeOpen(path);
}

bool FrmMain::makeOpen(const QString& location) {
    // The Products screen reads its catalogue when it loads: an open one is closed and opened
    // again on the new catalogue. When it refuses to close, the catalogue stays as it was.
    if (ChildWindows::isRegistered(u"Products"_s) && ChildWindows::find(u"Products"_s)) {
        ChildWindows::unload(u"Products"_s);
        if (ChildWindows::find(u"Products"_s))
            return false;
    }
    m_catalogue.path = location;
    BackupActions::dailyOnOpen(m_prompts, location);
    showProducts();
    return true;
}

void FrmMain::showProducts() {
    if (ChildWindows::isRegistered(u"Products"_s))
        openChildScreen(u"Products"_s, u"mnuDataProducts"_s);
}

namespace {
// Closes the child screen in front (its unload runs; it may refuse).
void unloadActiveScreen(QMdiArea* area) {
    QMdiSubWindow* sub = area->currentSubWindow();
    if (!sub)
        return;
    const QString name = ChildWindows::nameOf(sub->widget());
    if (!name.isEmpty())
        ChildWindows::unload(name);
    else
        sub->close();
}
} // namespace

void FrmMain::mnuFileImport_Click() {
    StepGuard step(mainLabel(u"mnuFileImport_Click"_s), m_prompts);
    BusyCursor busy;
    letEventsRun();
    step([this] {
        // The screen reads its page from the mode as it first shows; one open already (on the
        // page deleting the selection, say) keeps its page and only comes to the front.
        if (!ChildWindows::find(u"BuildDB"_s))
            m_tasks.buildMode = 1;
        ChildWindows::show(u"BuildDB"_s);
    });
}

void FrmMain::mnuFileSaveAs_Click() {
    StepGuard step(mainLabel(u"mnuFileSaveAs_Click"_s), m_prompts);
    // The copy is read through a connection of its own, so the screens stay open.
    QString saved;
    step([&] { saved = FrmBusy::run(m_prompts, this, m_catalogue.path); });
    if (!saved.isEmpty())
        step([&] { m_statusBar->showPassing(u"Saved a copy as "_s + saved); });
}

void FrmMain::mnuFileBackup_Click() {
    StepGuard step(mainLabel(u"mnuFileBackup_Click"_s), m_prompts);
    QString copy;
    step([&] { copy = BackupActions::backUpNow(m_prompts, m_catalogue.path); });
    if (!copy.isEmpty())
        step([&] { m_statusBar->showPassing(u"Backed up to "_s + copy); });
}

void FrmMain::mnuFileRestore_Click() {
    StepGuard step(mainLabel(u"mnuFileRestore_Click"_s), m_prompts);
    bool closed = false;
    // The window's watch on the file keeps a connection to it, which the restore must not find.
    m_connectionStatus->holdOff();
    step([&] { closed = BackupActions::restoreFromBackup(m_prompts, this, m_catalogue.path); });
    m_connectionStatus->resume();
    if (closed)
        step([this] { showProducts(); });
}

void FrmMain::mnuFileClose_Click() {
    StepGuard step(mainLabel(u"mnuFileClose_Click"_s), ErrorStyle::IgnoreAndResume);
    step([this] { unloadActiveScreen(m_mdi); });
}

void FrmMain::mnuFileExit_Click() {
    BusyCursor busy;
    letEventsRun();
    // Ends the program without closing the window, so nothing is saved on this path. A screen
    // waiting for another drops its procedure instead of carrying on with what it saw last.
    abandonWaits();
    if (m_exit)
        m_exit();
}

void FrmMain::mnuViewStatusBar_Click() {
    StepGuard step(mainLabel(u"mnuViewStatusBar_Click"_s), m_prompts);
    step([this] {
        QAction* action = entry(u"mnuViewStatusBar"_s);
        action->setChecked(!action->isChecked());
        m_statusBar->setVisible(action->isChecked());
    });
}

void FrmMain::mnuButtonBar_Click() {
    StepGuard step(mainLabel(u"mnuButtonBar_Click"_s), m_prompts);
    step([this] {
        QAction* action = entry(u"mnuButtonBar"_s);
        action->setChecked(!action->isChecked());
        m_toolBar->setVisible(action->isChecked());
    });
}

void FrmMain::mnuBText_Click() {
    StepGuard step(mainLabel(u"mnuBText_Click"_s), m_prompts);
    BusyCursor busy;
    letEventsRun();
    step([this] {
        QAction* action = entry(u"mnuBText"_s);
        action->setChecked(!action->isChecked());
        applyButtonCaptions();
    });
}

void FrmMain::mnuHistory_Click() {
    openChildScreen(u"frmHistory"_s, u"mnuHistory"_s);
}

void FrmMain::mnuRestore_Click() {
    StepGuard step(mainLabel(u"mnuRestore_Click"_s), m_prompts);
    // The Products screen shows every text box whose stored visibility is true.
    step([] {
        SettingsStore& settings = SettingsStore::program();
        for (int n = ProductScreenSettings::FirstBox; n <= ProductScreenSettings::LastBox; ++n)
            settings.setValue(ProductScreenSettings::section(),
                              ProductScreenSettings::hideTextKey(n), u"True"_s);
        settings.sync();
    });
}

void FrmMain::mnuRestoreLabels_Click() {
    StepGuard step(mainLabel(u"mnuRestoreLabels_Click"_s), m_prompts);
    // The Products screen shows the stored captions the next time it has the focus.
    step([] {
        SettingsStore& settings = SettingsStore::program();
        for (const ProductBox& box : ProductBox::all())
            if (!box.caption.isEmpty())
                settings.setValue(ProductScreenSettings::section(),
                                  ProductScreenSettings::labelNameKey(box.index), box.caption);
        settings.sync();
    });
}

void FrmMain::mnuHelpTip_Click() {
    StepGuard step(mainLabel(u"tbToolBar_ButtonClick"_s), m_prompts);
    BusyCursor busy;
    letEventsRun();
    step([this] {
        if (m_tip) {
            m_tip->show();
            m_tip->raise();
            m_tip->activateWindow();
            return;
        }
        auto* tip = new FrmTip(m_prompts, FrmTip::Opened::FromMenu, this);
        m_tip = tip;
        tip->Form_Load();
        if (!tip->isUnloaded())
            tip->show();
    });
}

void FrmMain::mnuHelpAbout_Click() {
    StepGuard step(mainLabel(u"mnuHelpAbout_Click"_s), m_prompts);
    FrmAbout about(m_prompts, this);
    {
        BusyCursor busy;
        letEventsRun();
        step([&] { about.Form_Load(); });
    }
    step([&] { about.exec(); });
}

void FrmMain::mnuWindow_Arrange(int code) {
    StepGuard step(mainLabel(u"mnuWindow_Click"_s), m_prompts);
    step([this, code] { MdiArrange::arrange(m_mdi, code); });
}

void FrmMain::tbToolBar_ButtonClick(const QString& key) {
    StepGuard step(mainLabel(u"tbToolBar_ButtonClick"_s), ErrorStyle::IgnoreAndResume);
    BusyCursor busy;
    letEventsRun();
    step([&] {
        if (key == u"Save"_s)
            mnuFileSaveAs_Click();
        else if (key == u"Open"_s)
            mnuFileOpen_Click();
        else if (key == u"IMPORT"_s)
            mnuFileImport_Click();
        else if (key == u"LIGHTON"_s)
            mnuHelpTip_Click();
        else if (key == u"RESTORE"_s)
            mnuRestore_Click();
        else if (key == u"RESTORELABELS"_s)
            mnuRestoreLabels_Click();
        else if (key == u"IMAGE1"_s)
            mnuFileExit_Click();
        else
            for (const MainToolBar::Button& button : MainToolBar::layout())
                if (button.key == key && !button.screen.isEmpty())
                    openChildScreen(button.screen, entryForScreen(button.screen));
    });
}

} // namespace tovin
