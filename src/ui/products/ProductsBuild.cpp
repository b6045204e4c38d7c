// The Products screen's catalogue-wide tasks: the import screen ("Build/Options"), deleting the
// current selection ("Delete All"), the bulk edit ("Edit All Items") and the export
// ("Export DB"). Each opens its screen, waits for it while letting window events run, and then
// reads the catalogue again.
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/ProgramFolder.h"
#include "core/products/SearchInForce.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/TaskScreenHandoff.h"
#include "ui/browser/WebView.h"
#include "ui/data/RecordBinding.h"
#include "ui/products/ProductGridModel.h"
#include "ui/products/Products.h"
#include "ui/products/ProductsCatalogue.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ChildWindows.h"

#include <QPointer>
#include <QPushButton>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

QList<QWidget*> Products::buildCatalogueTaskButtons() {
    m_editAllButton = makeButton(u"cmdEditRec"_s, u"Edit All Items"_s);
    m_deleteAllButton = makeButton(u"cmdDAll"_s, u"Delete All"_s);
    m_buildButton = makeButton(u"cmdAddAll"_s, u"Build/Options"_s);
    m_exportButton = makeButton(u"Command3"_s, u"Export DB"_s);
    connect(m_editAllButton, &QPushButton::clicked, this, [this] { cmdEditRec_Click(); });
    connect(m_deleteAllButton, &QPushButton::clicked, this, [this] { cmdDAll_Click(); });
    connect(m_buildButton, &QPushButton::clicked, this, [this] { cmdAddAll_Click(); });
    connect(m_exportButton, &QPushButton::clicked, this, [this] { Command3_Click(); });
    return {m_buildButton, m_editAllButton, m_deleteAllButton, m_exportButton};
}

void Products::cmdEditRec_Click() {
    StepGuard step(procedureLabel(u"cmdEditRec_Click"_s), promptsInUse());
    m_tasks->editProdOpen = true;
    // The bulk edit screen clears editProdOpen as it closes.
    const bool finished =
        waitForTaskScreen(step, u"EditProd"_s, [this] { return !m_tasks->editProdOpen; });
    m_tasks->editProdOpen = false;
    if (finished)
        ReBuildDB();
}

// The import screen opened from the main window's File menu may be open already, on a page of
// its own: the task asked for here is not started in it behind the user's back.
bool Products::importScreenAlreadyOpen(StepGuard& step) {
    if (!ChildWindows::find(u"BuildDB"_s))
        return false;
    step([this] {
        ChildWindows::show(u"BuildDB"_s);
        promptsInUse().required().notice(
            u"The import screen is open already. Finish or close it there "
            u"first, then try again."_s,
            MessageIcon::Exclamation);
    });
    return true;
}

void Products::cmdAddAll_Click() {
    StepGuard step(procedureLabel(u"cmdAddAll_Click"_s), promptsInUse());
    if (importScreenAlreadyOpen(step))
        return;
    step([this] { m_webView->navigate(ProgramFolder::path() + u"Help/intro1.htm"_s); });
    m_tasks->buildMode = 1;
    m_selectionAfterTask.clear();
    // The import screen hides itself while the supplier is picked; the wait lasts until it is
    // closed.
    if (!waitForTaskScreen(step, u"BuildDB"_s))
        return;
    reopenAfterImport();
    if (const QString where = std::exchange(m_selectionAfterTask, {}); !where.isEmpty())
        showSelection(where);
}

void Products::cmdDAll_Click() {
    StepGuard step(procedureLabel(u"cmdDAll_Click"_s), promptsInUse());
    if (importScreenAlreadyOpen(step))
        return;
    m_tasks->buildMode = 0;
    if (waitForTaskScreen(step, u"BuildDB"_s))
        reopenAfterImport();
}

// The task's screen is not modal, but this one is out of use until it closes: the products are
// read again then, which would drop one begun meanwhile, and the bulk edit writes the selection
// searched for here. Disabled before the screen shows, as showing it lets events run. False when
// this screen went meanwhile (nothing of it may be touched) or the program is closing (the
// products are not read again).
bool Products::waitForTaskScreen(StepGuard& step, const QString& name,
                                 const std::function<bool()>& done) {
    QPointer<Products> self(this);
    QPointer<QWidget> screen;
    setEnabled(false);
    step([&] { screen = ChildWindows::show(name); });
    const bool finished = waitUntil([&] { return !self || !screen || (done && done()); });
    if (!self)
        return false;
    setEnabled(true);
    return finished;
}

void Products::reopenAfterImport() {
    StepGuard step(procedureLabel(u"cmdAddAll_Click"_s), promptsInUse());
    BusyCursor busy;
    step([this] {
        adoPrimaryRS->close();
        letEventsRun();
        adoPrimaryRS->open(PrimarySelect, connection());
        letEventsRun();
    });
    // Closing the records dropped any product being added or edited: the screen browses again,
    // or it would go on waiting for that product and never show the new count.
    m_addingFlag = false;
    m_editingFlag = false;
    step([this] { SetButtons(true); });
    // Opened anew the products are all there, so the search goes: from the grid, and from the
    // selection the other screens work on.
    m_search->SearchWhere.clear();
    m_search->SortOrder.clear();
    step([this] {
        if (m_gridRS->isOpen() && !m_gridRS->filter().isEmpty())
            m_gridRS->setFilter(QString());
        if (m_gridRS->isOpen() && !m_gridRS->sort().isEmpty())
            m_gridRS->setSort(QString());
    });
    cmdRefresh_Click();
    step([this] { binding().bind(adoPrimaryRS); });
    step([this] { m_catalogue->ticks().untickAll(adoPrimaryRS->recordCount() + 1); });
    step([this] { adoPrimaryRS_MoveComplete(); });
}

void Products::Command3_Click() {
    StepGuard step(procedureLabel(u"Command3_Click"_s), promptsInUse());
    BusyCursor busy;
    step([] { ChildWindows::show(u"frmExport"_s); });
}

void Products::ReBuildDB() {
    StepGuard step(procedureLabel(u"ReBuildDB"_s), promptsInUse());
    BusyCursor busy;
    step([] { letEventsRun(); });
    step([this] {
        m_gridRS->close();
        adoPrimaryRS->close();
        m_connection = std::make_unique<CatalogueDatabase>(catalogueInUse().path);
        adoPrimaryRS->open(PrimarySelect, connection());
        if (gridShown())
            m_gridRS->open(GridSelect, connection());
    });
    // The grid follows its record set's re-opening by itself.
    step([this] { binding().bind(adoPrimaryRS); });
    // Every product is on show again: the other screens' selection is every product too.
    m_search->SearchWhere.clear();
    m_search->SortOrder.clear();
    m_search->DetailSearchActive = false;
    step([this] { m_catalogue->ticks().untickAll(adoPrimaryRS->recordCount() + 1); });
    step([this] { adoPrimaryRS_MoveComplete(); });
}

} // namespace tovin
