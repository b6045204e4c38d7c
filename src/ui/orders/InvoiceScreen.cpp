// The invoice screen's own controls: search by order number, "View Items", and the invoice of
// an order finished on the Products screen.
#include "core/base/Prompts.h"
#include "core/orders/OrderEntry.h"
#include "core/orders/OrderSearch.h"
#include "core/query/Condition.h"
#include "core/shell/ErrorReporting.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/FrmInvoice.h"
#include "ui/data/FrmOrders.h"
#include "ui/data/RecordBinding.h"
#include "ui/shell/ChildWindows.h"

#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void FrmInvoice::buildInvoiceControls() {
    buildOrderSearch();

    Command1 = new QPushButton(u"View Items"_s, this);
    Command1->setObjectName(u"Command1"_s);
    addCommandButton(Command1);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void FrmInvoice::SetButtons(bool browse) {
    RecordScreen::SetButtons(browse);
    Command1->setVisible(browse);
}

void FrmInvoice::Form_Activate() {
    RecordScreen::Form_Activate();
    if (!m_order.OrderFilter.isEmpty())
        goToOrderFilter();
    else
        startInvoiceOfOrder();
}

void FrmInvoice::goToOrderFilter() {
    if (m_order.OrderFilter.isEmpty())
        return;
    StepGuard step(procedureLabel(u"form_activate"_s), promptsInUse());
    writeStep(step, [this] {
        adoPrimaryRS->find(m_order.OrderFilter, 0, RecordSet::SearchDirection::Forward,
                           RecordSet::FindStart::FirstRow);
    });
    step([this] {
        if (!adoPrimaryRS->hasCurrentRow()) {
            adoPrimaryRS->moveFirst();
            showStatus(u"No Invoice For This Order"_s);
        }
    });
    m_order.OrderFilter.clear();
}

void FrmInvoice::startInvoiceOfOrder() {
    // Only the state "Order Done" leaves is taken; a line still waiting on the orders screen
    // keeps its state.
    if (OrderEntry(m_order).takeOrderDone()) {
        std::array<QString, 8> totals;
        std::swap(totals, m_order.OrderedItems);
        // An order none of whose lines was saved has no invoice.
        if (!totals[0].isEmpty())
            m_waitingInvoice = totals;
    }
    openWaitingInvoice();
}

// A row the user is typing is theirs: the order's invoice waits until it is saved or dropped.
void FrmInvoice::openWaitingInvoice() {
    if (!m_waitingInvoice || m_addingFlag || m_editingFlag)
        return;
    const std::array<QString, 8> totals = *m_waitingInvoice;
    m_waitingInvoice.reset();
    StepGuard step(procedureLabel(u"form_activate"_s), promptsInUse());
    step([this] { cmdAdd_Click(); });
    if (!m_addingFlag)
        return;
    for (int i = 0; i < 8; ++i)
        step([&] { binding().setBoxValue(txtFields(i), totals[size_t(i)]); });
}

void FrmInvoice::cmdUpdate_Click() {
    OrderSearchScreen::cmdUpdate_Click();
    openWaitingInvoice();
}

void FrmInvoice::cmdCancel_Click() {
    OrderSearchScreen::cmdCancel_Click();
    openWaitingInvoice();
}

void FrmInvoice::Command1_Click() {
    StepGuard step(procedureLabel(u"command1_click"_s), promptsInUse());
    step([this] { m_order.OrderFilter = orderCondition(txtFields(0)->text()); });
    step([] {
        if (auto* orders = qobject_cast<FrmOrders*>(ChildWindows::show(u"frmOrders"_s)))
            orders->applyOrderFilter();
    });
}

} // namespace tovin
