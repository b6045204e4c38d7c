// The orders screen's own controls: search by order number, "View Invoice", the computed net
// cost boxes and the hand-shake with ordering from the catalogue. Receiving is in
// OrdersReceiving.cpp.
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/CatalogueOrdering.h"
#include "core/orders/OrderEntry.h"
#include "core/orders/OrderMath.h"
#include "core/orders/OrderSearch.h"
#include "core/shell/ErrorReporting.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/FrmInvoice.h"
#include "ui/data/FrmOrders.h"
#include "ui/data/RecordBinding.h"
#include "ui/shell/ChildWindows.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Boxes of an order line.
enum Box {
    OrderId = 0,
    Cost = 2,
    DateOrdered = 3,
    Description = 5,
    NumberOrdered = 6,
    Packing = 7,
    StockNo = 8,
    TotalItems = 9,
    WtPrice = 11,
    Discount = 12,
    Fees = 14,
    Shipping = 15,
};

} // namespace

void FrmOrders::buildOrderControls() {
    buildOrderSearch();

    Command1 = new QPushButton(u"View Invoice"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command2 = new QPushButton(u"Receive"_s, this);
    Command2->setObjectName(u"Command2"_s);
    Command2->setToolTip(u"Receive the goods of this order into stock"_s);
    addCommandButton(Command1);
    addCommandButton(Command2);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

// ---- Net costs -------------------------------------------------------------------------------

void FrmOrders::showNetCosts() {
    if (m_computing)
        return;
    m_computing = true;
    const auto text = [this](int index) { return txtFields(index)->text(); };
    const auto put = [this](int index, const QString& value) {
        if (txtFields(index)->text() != value)
            txtFields(index)->setText(value);
    };
    if (const auto line = OrderMath::netLineCost(text(Shipping), text(Fees), text(NumberOrdered),
                                                 text(Cost), text(Discount)))
        put(NetCostBox, OrderMath::moneyText(*line));
    if (const auto each = OrderMath::netCostEach(text(NetCostBox), text(NumberOrdered)))
        put(NetCostEachBox, OrderMath::moneyText(*each));
    m_computing = false;
}

void FrmOrders::clearNetCosts() {
    m_computing = true;
    txtFields(NetCostBox)->clear();
    txtFields(NetCostEachBox)->clear();
    m_computing = false;
}

void FrmOrders::txtFields_Change(int) {
    showNetCosts();
}

// Another row's figures never stay in the boxes of a row whose own can't be worked out.
void FrmOrders::adoPrimaryRS_MoveComplete() {
    RecordScreen::adoPrimaryRS_MoveComplete();
    clearNetCosts();
    showNetCosts();
}

void FrmOrders::cmdAdd_Click() {
    RecordScreen::cmdAdd_Click();
    clearNetCosts();
}

void FrmOrders::cmdDelete_Click() {
    RecordScreen::cmdDelete_Click();
    StepGuard step(procedureLabel(u"cmdDelete_Click"_s), promptsInUse());
    step([this] {
        clearNetCosts();
        showNetCosts();
    });
}

void FrmOrders::SetButtons(bool browse) {
    RecordScreen::SetButtons(browse);
    Command1->setVisible(browse);
}

// ---- Search and invoice ---------------------------------------------------------------------

void FrmOrders::Command1_Click() {
    StepGuard step(procedureLabel(u"Command1_Click"_s), promptsInUse());
    step([this] { m_order.OrderFilter = orderCondition(txtFields(OrderId)->text()); });
    step([] {
        if (auto* invoice = qobject_cast<FrmInvoice*>(ChildWindows::show(u"frmInvoice"_s)))
            invoice->goToOrderFilter();
    });
}

void FrmOrders::applyOrderFilter() {
    if (m_order.OrderFilter.isEmpty() || adoPrimaryRS->filter() == m_order.OrderFilter)
        return;
    StepGuard step(procedureLabel(u"form_activate"_s), promptsInUse());
    step([this] { beginHourglass(); });
    writeStep(step, [this] { adoPrimaryRS->setFilter(m_order.OrderFilter); });
    step([this] { endHourglass(); });
}

// ---- Activation and the catalogue hand-shake ------------------------------------------------

void FrmOrders::Form_Activate() {
    RecordScreen::Form_Activate();
    if (!m_order.OrderFilter.isEmpty())
        applyOrderFilter();
    else
        answerOrderEntry();
}

void FrmOrders::answerOrderEntry() {
    OrderEntry entry(m_order);
    if (!entry.lineAsked())
        return;
    StepGuard step(procedureLabel(u"form_activate"_s), promptsInUse());
    bool used = false;
    if (m_order.OrderFromCatalog)
        step(
            [&] { used = CatalogueOrdering::orderNumberExists(connection(), m_order.CurrentKey); });
    if (used) {
        step([this] {
            if (Prompts* prompts = promptsInUse().current)
                prompts->notice(
                    u"That Order Number Already Exists, Please Choose A Different One!"_s,
                    MessageIcon::Exclamation);
        });
        m_order.CurrentKey.clear();
        step([this] { unloadScreen(); });
        entry.refuseNumber();
        return;
    }
    step([this] { cmdAdd_Click(); });
    if (m_addingFlag)
        entry.openLine();
}

void FrmOrders::fillCatalogueLine(const CatalogueLine& line) {
    StepGuard step(procedureLabel(u"fillCatalogueLine"_s), promptsInUse());
    const QList<QPair<int, QString>> boxes{
        {NumberOrdered, line.quantity},
        {OrderId, line.orderId},
        {StockNo, line.stockNo},
        {Description, line.name},
        {Packing, line.packing},
        {DateOrdered, line.dateOrdered},
        {Cost, line.grossCost},
        {TotalItems, line.quantity},
        {WtPrice, line.costEach},
        {Discount, line.discount},
        {Fees, line.fees},
        {Shipping, line.shipping},
    };
    for (const auto& [index, text] : boxes)
        step([&] { binding().setBoxValue(txtFields(index), text); });
    step([this] { showNetCosts(); });
}

void FrmOrders::cmdUpdate_Click() {
    RecordScreen::cmdUpdate_Click();
    // The line is written only when the screen left edit mode.
    if (m_addingFlag || m_editingFlag)
        return;
    // The catalogue adds the quantity saved, which the user may have changed here.
    const double numberOrdered = OrderMath::numberIn(txtFields(NumberOrdered)->text()).value_or(0);
    if (!OrderEntry(m_order).saveLine(numberOrdered))
        return;
    StepGuard step(procedureLabel(u"cmdUpdate_Click"_s), promptsInUse());
    step([] { letEventsRun(); });
    step([this] { unloadScreen(); });
}

void FrmOrders::cmdCancel_Click() {
    RecordScreen::cmdCancel_Click();
    if (!OrderEntry(m_order).cancelLine())
        return;
    StepGuard step(procedureLabel(u"cmdCancel_Click"_s), promptsInUse());
    step([this] { unloadScreen(); });
}

void FrmOrders::Form_Unload() {
    RecordScreen::Form_Unload();
    // Closing the screen while the catalogue waits for the line abandons the line.
    OrderEntry(m_order).screenClosed();
}

} // namespace tovin
