// The Products screen's row handling: the status line after a move, Add, Edit, Update and
// Refresh, the navigation buttons (which page through the help pages in help mode), the preview
// of the current product and the grid.
#include "core/base/EventWait.h"
#include "core/products/CoalescedAction.h"
#include "core/products/PreviewPage.h"
#include "core/products/SearchInForce.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/text/ValueText.h"
#include "ui/browser/WebView.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/RecordBinding.h"
#include "ui/products/ProductBoxes.h"
#include "ui/products/ProductGridModel.h"
#include "ui/products/Products.h"
#include "ui/products/ProductsHelpPages.h"
#include "ui/products/ProductsLayout.h"
#include "ui/shell/BusyCursor.h"

#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
const QColor DiscoRed(0xC0, 0x00, 0x00);
} // namespace

// ---- After a move --------------------------------------------------------------------------

void Products::adoPrimaryRS_MoveComplete() {
    // Nothing follows the new, blank row of an Add until it is written or dropped.
    if (m_addingFlag)
        return;
    StepGuard step(procedureLabel(u"adoPrimaryRS_MoveComplete"_s), promptsInUse());
    step([this] {
        const int count = adoPrimaryRS->recordCount();
        const bool empty = count < 1;
        // A search that matched nothing is no empty catalogue: no help pages, and the searches
        // stay at hand to change or undo it.
        const bool filtered = !adoPrimaryRS->filter().isEmpty();
        const bool noMatches = empty && filtered;
        m_help->followProducts(count, filtered);
        if (noMatches)
            showStatus(u"No Matches Found"_s);
        else if (empty)
            showStatus(u"NO CURRENT RECORDS"_s);
        else
            showStatus(u"Record: "_s + QString::number(adoPrimaryRS->absolutePosition()) +
                       u"  of  "_s + QString::number(count));
        for (QPushButton* b :
             {cmdEdit, cmdDelete, cmdFirst, cmdLast, cmdPrevious, cmdNext, m_picturePathButton})
            b->setEnabled(!empty);
        m_advancedSearchButton->setEnabled(canSearch() && !inEditMode());
    });
    step([this] { enableCatalogueTasks(); });
    step([this] {
        const bool disco =
            adoPrimaryRS->hasCurrentRow() && adoPrimaryRS->value(int(ProductBox::Disco)).toBool();
        QLabel* label = lblLabels(ProductBox::Disco);
        const QColor colour = disco ? DiscoRed : QColor(Qt::black);
        if (label->palette().color(QPalette::WindowText) != colour) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, colour);
            label->setPalette(palette);
        }
    });
    step([this] { followInGrid(); });
    // Only the row the user stops on is written and shown.
    step([this] { m_preview->request(); });
}

// ---- Record commands -----------------------------------------------------------------------

void Products::cmdAdd_Click() {
    StepGuard step(procedureLabel(u"cmdAdd_Click"_s), promptsInUse());
    step([this] { showEditLayout(); });
    // The product on show keeps its preview while the new one is typed.
    step([this] { m_preview->flush(); });
    step([this] {
        if (!(adoPrimaryRS->bof() && adoPrimaryRS->eof()))
            m_savedPosition = adoPrimaryRS->bookmark();
    });
    if (!writeStep(step, [this] { adoPrimaryRS->addNew(); }))
        return;
    step([this] { binding().refresh(); });
    m_addingFlag = true;
    step([this] { SetButtons(false); });
}

void Products::cmdEdit_Click() {
    StepGuard step(procedureLabel(u"cmdEdit_Click"_s), promptsInUse());
    if (adoPrimaryRS->recordCount() < 1)
        return;
    step([this] { showEditLayout(); });
    m_editingFlag = true;
    step([this] { SetButtons(false); });
}

// Writes the row, re-reads the catalogue and comes back to the product just written, under the
// search and sort in force. A value the catalogue refuses is pointed out and the screen stays in
// edit mode with everything typed.
void Products::cmdUpdate_Click() {
    StepGuard step(procedureLabel(u"cmdUpdate_Click"_s), promptsInUse());
    BusyCursor busy;
    if (!writeStep(step, [this] { adoPrimaryRS->updateBatch(); }))
        return;
    m_editingFlag = false;
    m_addingFlag = false;
    step([this] { SetButtons(true); });
    rereadKeepingPlace(step);
}

// The grid is read first, so the screen's own move afterwards leaves the grid on its product.
// The written row may have moved in the order (a new stock number), or left the search; the
// screen then shows the search's first product.
void Products::rereadKeepingPlace(StepGuard& step) {
    std::optional<RecordSet::Bookmark> shown;
    if (adoPrimaryRS->isOpen() && adoPrimaryRS->hasCurrentRow())
        shown = adoPrimaryRS->bookmark();
    step([this] { letEventsRun(); });
    step([this] {
        if (m_gridRS->isOpen())
            m_gridRS->requery();
    });
    if (!step([this] { adoPrimaryRS->requery(); }))
        step([this] { reopenPrimary(); });
    step([&] {
        if (shown && adoPrimaryRS->positionOfBookmark(*shown) >= 0)
            adoPrimaryRS->setBookmark(*shown);
    });
}

// Opened anew, the products keep the search and sort in force: the other screens work on them.
void Products::reopenPrimary() {
    const QString source =
        adoPrimaryRS->source().isEmpty() ? PrimarySelect : adoPrimaryRS->source();
    const QString filter = adoPrimaryRS->filter();
    const QString sort = adoPrimaryRS->sort();
    CatalogueDatabase* db = adoPrimaryRS->connection();
    adoPrimaryRS->close();
    adoPrimaryRS->open(source, db ? *db : connection());
    if (!filter.isEmpty())
        adoPrimaryRS->setFilter(filter);
    if (!sort.isEmpty() && adoPrimaryRS->recordCount() > 0)
        adoPrimaryRS->setSort(sort);
}

// Reads the products of the search in force again, in its order, from the first, with their
// values as the catalogue holds them now; the search itself stays until the next search, Reset
// Data or a rebuild. The grid is read again first, so the screen's own re-read leaves it on the
// screen's product.
void Products::cmdRefresh_Click() {
    StepGuard step(procedureLabel(u"cmdRefresh_Click"_s), promptsInUse());
    BusyCursor busy;
    step([] { letEventsRun(); });
    if (gridShown())
        step([this] { m_gridRS->requery(); });
    if (!step([this] { adoPrimaryRS->requery(); }))
        step([this] { reopenPrimary(); });
    // A search that matched nothing was left unsorted: products that match it now come in the
    // order it asked for, from the first.
    const QString sort = m_search->SortOrder;
    if (sort.isEmpty() || !adoPrimaryRS->isOpen() || adoPrimaryRS->filter().isEmpty() ||
        !adoPrimaryRS->sort().isEmpty() || adoPrimaryRS->recordCount() < 1)
        return;
    if (gridShown())
        step([&] { m_gridRS->setSort(sort); });
    step([&] { adoPrimaryRS->setSort(sort); });
    step([this] { adoPrimaryRS->moveFirst(); });
}

// ---- Navigation and the help pages ---------------------------------------------------------

void Products::cmdFirst_Click() {
    if (!pageHelp(HelpPages::Move::First, u"cmdFirst_Click"_s))
        RecordScreen::cmdFirst_Click();
}

void Products::cmdLast_Click() {
    if (!pageHelp(HelpPages::Move::Last, u"cmdLast_Click"_s))
        RecordScreen::cmdLast_Click();
}

void Products::cmdNext_Click() {
    if (!pageHelp(HelpPages::Move::Next, u"cmdNext_Click"_s))
        RecordScreen::cmdNext_Click();
}

void Products::cmdPrevious_Click() {
    if (!pageHelp(HelpPages::Move::Previous, u"cmdPrevious_Click"_s))
        RecordScreen::cmdPrevious_Click();
}

// In help mode the navigation buttons page through the help pages; false when the move is the
// products'.
bool Products::pageHelp(HelpPages::Move move, const QString& procedure) {
    if (!m_help->active())
        return false;
    StepGuard step(procedureLabel(procedure), promptsInUse());
    step([&] { m_help->move(move); });
    return true;
}

void Products::Command16_Click() {
    StepGuard step(procedureLabel(u"Command16_Click"_s), promptsInUse());
    step([this] {
        const bool show = m_showHelpButton->text() == u"Show Help"_s;
        m_help->setActive(show);
        m_showHelpButton->setText(show ? u"Hide Help"_s : u"Show Help"_s);
    });
    step([this] { ShowPicture(); });
}

// ---- The preview ---------------------------------------------------------------------------

void Products::ShowPicture() {
    m_preview->cancel();
    writePreview();
}

void Products::flushPreview() {
    m_preview->flush();
}

void Products::writePreview() {
    StepGuard step(procedureLabel(u"ShowPicture"_s), promptsInUse());
    if (m_help->active()) {
        step([this] { m_help->showDemoPage(); });
        return;
    }
    if (adoPrimaryRS->isOpen() && adoPrimaryRS->recordCount() < 1 &&
        !adoPrimaryRS->filter().isEmpty()) {
        step([this] {
            m_webView->writeHtml(
                u"<html><body><h3>No Matches Found</h3><p>No product matches this "
                u"search. Press Reset Data to show every product again, or Advanced "
                u"Search to change the search.</p></body></html>"_s);
        });
        return;
    }
    if (!adoPrimaryRS->isOpen() || !adoPrimaryRS->hasCurrentRow() || adoPrimaryRS->isAdding())
        return;
    PreviewProduct product;
    auto text = [this](int index) { return TextRules::toText(adoPrimaryRS->value(index)); };
    step([&] { product.StockNo = text(ProductBox::StockNo); });
    step([&] { product.PageNo = text(ProductBox::PageNo); });
    step([&] { product.ProdName = text(ProductBox::ProdName); });
    step([&] { product.ProdDesc = text(ProductBox::ProdDesc); });
    step([&] { product.Cost1 = adoPrimaryRS->value(int(ProductBox::Cost1)); });
    step([&] { product.Packaging = text(ProductBox::Packaging); });
    step([&] { product.Picture = text(ProductBox::Picture); });
    // A page that could not be written leaves the previous one on show.
    if (step([&] {
            PreviewPage::write(product, PreviewPage::sizeForCaption(m_previewSizeButton->text()),
                               catalogueInUse().path);
        }))
        step([this] { m_webView->navigate(PreviewPage::path()); });
}

void Products::cmdShowPic_Click() {
    StepGuard step(procedureLabel(u"cmdShowPic_Click"_s), ErrorStyle::IgnoreAndResume);
    step([this] {
        BoundTextBox* notes = txtFields(ProductBox::Notes);
        const bool large = m_previewSizeButton->text() == u"View Mode"_s;
        notes->setVisible(!large);
        m_previewSizeButton->setText(large ? u"Edit Mode"_s : u"View Mode"_s);
        m_layout->setLargePreview(large);
    });
    step([this] { ShowPicture(); });
}

void Products::cmdShowPicPath_Click() {
    StepGuard step(procedureLabel(u"cmdShowPicPath_Click"_s), promptsInUse());
    step([this] {
        BoundTextBox* path = txtFields(ProductBox::Picture);
        path->setVisible(path->isHidden());
        if (path->isHidden())
            path->lower();
        else
            path->raise();
    });
}

// ---- The grid ------------------------------------------------------------------------------

bool Products::gridShown() const {
    return m_layout && m_layout->gridShown();
}

void Products::cmdGrid_Click() {
    StepGuard step(procedureLabel(u"cmdGrid_Click"_s), promptsInUse());
    step([this] { setGridShown(!gridShown()); });
}

void Products::setGridShown(bool shown) {
    StepGuard step(procedureLabel(u"cmdGrid_Click"_s), promptsInUse());
    m_layout->setGridShown(shown);
    m_gridButton->setText(shown ? u"Hide Grid"_s : u"Show Grid"_s);
    if (!shown)
        return;
    step([this] {
        if (!m_gridRS->isOpen())
            m_gridRS->open(GridSelect, connection());
    });
    // A grid shown after a search lists the same products in the same order as the screen.
    step([this] {
        if (m_gridRS->filter() != adoPrimaryRS->filter())
            m_gridRS->setFilter(adoPrimaryRS->filter());
    });
    step([this] {
        if (m_gridRS->sort() != adoPrimaryRS->sort())
            m_gridRS->setSort(adoPrimaryRS->sort());
    });
    // Following the screen's row moves the grid's set, which selects the grid row.
    step([this] { followInGrid(); });
}

// Keeps the grid's record set on the product the screen shows (the same row of the same
// table, so its bookmark), or after its last row when the grid does not list it.
void Products::followInGrid() {
    if (!m_gridRS->isOpen() || m_gridRS->recordCount() < 1)
        return;
    if (!adoPrimaryRS->hasCurrentRow() || adoPrimaryRS->isAdding())
        return;
    const RecordSet::Bookmark current = adoPrimaryRS->bookmark();
    if (m_gridRS->positionOfBookmark(current) >= 0) {
        m_gridRS->setBookmark(current);
    } else {
        m_gridRS->moveLast();
        m_gridRS->moveNext();
    }
}

void Products::syncGridSelection() {
    if (!gridShown())
        return;
    const int position = m_gridRS->absolutePosition();
    const QModelIndex index = position >= 1 ? m_gridModel->index(position - 1, 0) : QModelIndex();
    const bool clicked = m_gridClicked;
    // Following the screen is not a click on a row.
    m_gridClicked = false;
    m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_gridClicked = clicked;
    if (index.isValid())
        m_grid->scrollTo(index);
}

void Products::grdDataGrid_Click() {
    m_gridClicked = true;
}

// Only a row the user clicked selects its product; scrolling the grid moves nothing.
void Products::grdDataGrid_RowColChange(int row) {
    if (!m_gridClicked)
        return;
    m_gridClicked = false;
    StepGuard step(procedureLabel(u"grdDataGrid_RowColChange"_s), promptsInUse());
    std::optional<RecordSet::Bookmark> picked;
    step([&] { picked = m_gridRS->bookmarkAt(row); });
    writeStep(step, [&] {
        if (picked && adoPrimaryRS->positionOfBookmark(*picked) >= 0)
            adoPrimaryRS->setBookmark(*picked);
        else
            adoPrimaryRS->moveFirst();
    });
    step([this] { setGridShown(false); });
}

} // namespace tovin
