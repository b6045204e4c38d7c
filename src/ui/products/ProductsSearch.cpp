// The Products screen's searches: the quick search that moves to a stock number without
// narrowing the list, and the advanced search that narrows and sorts it (SearchForIt).
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/products/RefusedSearch.h"
#include "core/products/SearchInForce.h"
#include "core/query/Condition.h"
#include "core/shell/ErrorReporting.h"
#include "ui/products/Products.h"
#include "ui/products/Search.h"
#include "ui/shell/BusyCursor.h"

#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void Products::cmdSearch_Click() {
    StepGuard step(procedureLabel(u"cmdSearch_Click"_s), promptsInUse());
    const QString typed = m_quickSearchBox->text();
    if (typed.isEmpty()) {
        m_search->SearchWhere.clear();
        SearchForIt();
        return;
    }
    // The typed text is a value: an apostrophe in it is looked for, not read as a quote.
    const QString condition = u"[StockNo] like '*"_s + quoteConditionValue(typed) + u"*'"_s;
    if (!writeStep(step, [&] {
            adoPrimaryRS->find(condition, 0, RecordSet::SearchDirection::Forward,
                               RecordSet::FindStart::FirstRow);
        }))
        return;
    // Found nowhere: back to the first row, without a word.
    writeStep(step, [this] {
        if (adoPrimaryRS->absolutePosition() < 1)
            adoPrimaryRS->moveFirst();
    });
}

void Products::cmdDetSearch_Click() {
    StepGuard step(procedureLabel(u"cmdDetSearch_Click"_s), promptsInUse());
    m_search->DetailSearchActive = true;
    step([this] {
        Search form(*m_search, promptsInUse(), this);
        form.exec();
    });
    SearchForIt();
}

void Products::cmdReset_Click() {
    StepGuard step(procedureLabel(u"cmdReset_Click"_s), ErrorStyle::IgnoreAndResume);
    // Every product in stock-number order: an earlier search's sort goes with its filter.
    m_search->SearchWhere.clear();
    m_search->SortOrder.clear();
    step([this] { m_quickSearchBox->clear(); });
    step([this] { cmdSearch_Click(); });
}

// A condition the catalogue cannot use changes nothing: the rows, the status line and the
// selection other screens work on (SearchWhere, SortOrder) stay those of the search in force,
// and the user is told why the new one was not used.
void Products::refuseSearch(const RunTimeError& error) {
    m_search->SearchWhere = adoPrimaryRS->filter();
    m_search->SortOrder = adoPrimaryRS->sort();
    if (Prompts* prompts = promptsInUse().current)
        prompts->notice(refusedSearchMessage(error), MessageIcon::Exclamation, windowTitle());
}

bool Products::showSelection(const QString& where) {
    if (inEditMode())
        return false;
    // Disabled, the screen waits for a task's screen and reads everything again after it.
    if (!isEnabled()) {
        m_selectionAfterTask = where;
        return true;
    }
    m_search->SearchWhere = where;
    m_search->SortOrder = u"StockNo"_s;
    SearchForIt();
    cmdRefresh_Click();
    return true;
}

// Narrows the screen (and the grid while it is shown) to the products of SearchWhere and sorts
// them by SortOrder. A condition the catalogue can't use is reported and the previous rows stay.
void Products::SearchForIt() {
    StepGuard step(procedureLabel(u"SearchForIt"_s), promptsInUse());
    step([] { letEventsRun(); });
    BusyCursor busy;
    const QString where = m_search->SearchWhere;
    const bool grid = gridShown();
    try {
        adoPrimaryRS->setFilter(where);
    } catch (const RunTimeError& error) {
        if (adoPrimaryRS->isOpen())
            return refuseSearch(error);
        ReportError(step.label(), error);
    }
    if (grid)
        step([&] { m_gridRS->setFilter(where); });
    if (adoPrimaryRS->recordCount() > 0) {
        if (m_search->SortOrder.isEmpty())
            m_search->SortOrder = u"StockNo"_s;
        const QString sort = m_search->SortOrder;
        if (grid)
            step([&] { m_gridRS->setSort(sort); });
        step([&] { adoPrimaryRS->setSort(sort); });
        // The first product in the order asked for; the grid follows it.
        step([this] { adoPrimaryRS->moveFirst(); });
    }
    // The match count stays in the status line after the moves of filtering and sorting.
    if (!where.isEmpty())
        step([this] {
            const int count = adoPrimaryRS->recordCount();
            showStatus(count > 0 ? QString::number(count) + u" - Matches Found"_s
                                 : u"No Matches Found"_s);
        });
}

} // namespace tovin
