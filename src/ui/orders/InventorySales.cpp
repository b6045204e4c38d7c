// Selling from stock: the inventory screen's "Sales" and the sales screen's take-over of the
// sale, its net profit, and the saving of the sale together with its product's counts.
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/orders/CatalogueOrdering.h"
#include "core/orders/StockSale.h"
#include "core/orders/StockSaleEntry.h"
#include "core/orders/StockSaleProduct.h"
#include "core/shell/ErrorReporting.h"
#include "core/text/DateText.h"
#include "core/text/NumberFormat.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/FrmInventory.h"
#include "ui/data/FrmSales.h"
#include "ui/data/RecordBinding.h"
#include "ui/shell/ChildWindows.h"

#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Boxes of the inventory screen.
constexpr int StockNoBox = 0;
constexpr int CostEachBox = 1;
constexpr int OnHandBox = 5;

// Boxes of the sales screen.
constexpr int SoldStockNoBox = 0;
constexpr int SaleCostBox = 1;
constexpr int DateSoldBox = 2;
constexpr int ExpensesBox = 3;
constexpr int NumberSoldBox = 4;
constexpr int PriceSoldBox = 5;

} // namespace

// ---- Inventory: "Sales" ---------------------------------------------------------------------

void FrmInventory::SetButtons(bool browse) {
    RecordScreen::SetButtons(browse);
    cmdSales->setVisible(browse);
}

void FrmInventory::cmdSales_Click() {
    StepGuard step(procedureLabel(u"cmdSales_Click"_s), ErrorStyle::IgnoreAndResume);
    Prompts* prompts = promptsInUse().current;
    if (!prompts || !adoPrimaryRS->hasCurrentRow() || m_addingFlag)
        return;
    // The sales screen keeps one sale from stock at a time: a second one would take the first
    // one's place while its items are already off their stock row.
    StockSaleEntry entry(m_order);
    if (entry.saleOpen()) {
        prompts->notice(entry.stillOpenMessage(), MessageIcon::Exclamation, windowTitle());
        step([] {
            if (auto* sales = qobject_cast<FrmSales*>(ChildWindows::show(u"frmSales"_s)))
                sales->startSaleFromStock();
        });
        return;
    }
    StockSale::SoldAnswer sold;
    for (;;) {
        const QString onHand = txtFields(OnHandBox)->text();
        const QString answer =
            prompts->input(u"Enter How Many You Sold Below"_s, u"Sold Item"_s, onHand);
        sold = StockSale::checkSoldAnswer(answer, onHand);
        if (sold.outcome != StockSale::SoldAnswer::Outcome::NotANumber)
            break;
        prompts->notice(StockSale::NotANumberMessage, MessageIcon::Critical);
    }
    if (sold.outcome == StockSale::SoldAnswer::Outcome::NotOnHand)
        prompts->notice(sold.message, MessageIcon::Critical);
    if (sold.outcome != StockSale::SoldAnswer::Outcome::Sell)
        return;
    // The smaller quantity on hand is in the catalogue before the sales screen opens.
    binding().setBoxValue(txtFields(OnHandBox), TextRules::plainDecimal(sold.onHandAfter));
    StepGuard write(procedureLabel(u"cmdSales_Click"_s), promptsInUse());
    if (!writeStep(write, [this] { adoPrimaryRS->update(); }) || adoPrimaryRS->isDirty())
        return;
    if (m_editingFlag) {
        m_editingFlag = false;
        step([this] { SetButtons(true); });
    }
    step([] { letEventsRun(); });
    entry.open(txtFields(StockNoBox)->text(), sold.quantity, txtFields(CostEachBox)->text());
    step([] {
        if (auto* sales = qobject_cast<FrmSales*>(ChildWindows::show(u"frmSales"_s)))
            sales->startSaleFromStock();
    });
}

// ---- Sales: take-over and net profit -------------------------------------------------------

void FrmSales::showNetProfit() {
    const auto profit =
        StockSale::netProfitText(txtFields(PriceSoldBox)->text(), txtFields(SaleCostBox)->text(),
                                 txtFields(ExpensesBox)->text());
    if (profit && txtFields(NetProfitBox)->text() != *profit)
        txtFields(NetProfitBox)->setText(*profit);
}

void FrmSales::txtFields_Change(int index) {
    if (index != NetProfitBox)
        showNetProfit();
}

// A new row starts without a profit: the one on show belongs to the row the screen was on.
void FrmSales::cmdAdd_Click() {
    RecordScreen::cmdAdd_Click();
    if (m_addingFlag)
        txtFields(NetProfitBox)->clear();
}

// Another sale's profit never stays beside a row whose own can't be worked out.
void FrmSales::adoPrimaryRS_MoveComplete() {
    RecordScreen::adoPrimaryRS_MoveComplete();
    txtFields(NetProfitBox)->clear();
    showNetProfit();
}

void FrmSales::SetButtons(bool browse) {
    RecordScreen::SetButtons(browse);
    if (StockSaleEntry(m_order).saleOpen())
        showNetProfit();
}

void FrmSales::Form_Activate() {
    RecordScreen::Form_Activate();
    StepGuard step(procedureLabel(u"Form_Activate"_s), ErrorStyle::IgnoreAndResume);
    if (StockSaleEntry(m_order).saleOpen())
        startSaleFromStock();
    else if (!m_addingFlag && !m_editingFlag)
        step([this] { adoPrimaryRS->moveFirst(); });
}

void FrmSales::startSaleFromStock() {
    // The sale's row is open already: coming back to the screen keeps what was typed into it.
    const StockSaleEntry entry(m_order);
    const std::optional<StockSaleEntry::Sale> sale = entry.openSale();
    if (!sale || m_addingFlag || m_editingFlag)
        return;
    StepGuard step(procedureLabel(u"Form_Activate"_s), ErrorStyle::IgnoreAndResume);
    step([this] { cmdAdd_Click(); });
    if (!m_addingFlag)
        return;
    const QList<QPair<int, QString>> boxes{
        {SoldStockNoBox, sale->stockNo},
        {NumberSoldBox, QString::number(sale->quantity)},
        {DateSoldBox, TextRules::formatDate(QDate::currentDate(), u"MM/DD/YYYY"_s)},
        {SaleCostBox, entry.openSaleCost().toText()},
    };
    for (const auto& [index, text] : boxes)
        step([&] { binding().setBoxValue(txtFields(index), text); });
}

void FrmSales::cmdUpdate_Click() {
    StockSaleEntry entry(m_order);
    const std::optional<StockSaleEntry::Sale> sale =
        m_addingFlag ? entry.openSale() : std::optional<StockSaleEntry::Sale>();
    if (!sale) {
        RecordScreen::cmdUpdate_Click();
        return;
    }
    // The items came off the stock row of the sale as it was opened, so that row's product
    // gives them up, whatever the boxes were changed to: stock rows and products keep agreeing.
    std::optional<StockSaleProduct> product;
    {
        StepGuard step(procedureLabel(u"cmdUpdate_Click"_s), promptsInUse());
        if (!step([&] { product.emplace(connection(), sale->stockNo, sale->quantity); }))
            return;
    }
    RecordScreen::cmdUpdate_Click();
    if (m_addingFlag)
        return; // refused: the row is still being added, and the product kept its counts
    entry.save();
    StepGuard step(procedureLabel(u"cmdUpdate_Click"_s), promptsInUse());
    StockSaleProduct::Outcome outcome = product->outcome();
    product.reset();
    // The row reached the file before this Update wrote anything: the counts follow at once.
    if (outcome == StockSaleProduct::Outcome::NotWritten)
        step([&] {
            outcome = StockSaleProduct::writeNow(connection(), sale->stockNo, sale->quantity);
        });
    if (outcome == StockSaleProduct::Outcome::NoProduct)
        step([&] {
            promptsInUse().notice(StockSaleProduct::noProductMessage(sale->stockNo, sale->quantity),
                                  MessageIcon::Exclamation, windowTitle());
        });
}

void FrmSales::cmdCancel_Click() {
    StockSaleEntry entry(m_order);
    const bool saleFromStock = entry.saleOpen() && m_addingFlag;
    RecordScreen::cmdCancel_Click();
    if (!saleFromStock)
        return;
    // Nothing was sold: the stock row gets its items back, so it agrees with the product again.
    StepGuard step(procedureLabel(u"cmdCancel_Click"_s), promptsInUse());
    const StockSaleEntry::Sale sale = entry.cancel().value_or(StockSaleEntry::Sale{});
    const QString stockNo = sale.stockNo;
    const std::int16_t quantity = sale.quantity;
    bool back = false;
    step([&] { back = CatalogueOrdering::putBackInStock(connection(), stockNo, quantity); });
    if (!back && quantity > 0)
        step([&] {
            promptsInUse().notice(u"The sale was cancelled, but the stock row of "_s + stockNo +
                                      u" is gone, so its "_s + QString::number(quantity) +
                                      u" items could not be put back."_s,
                                  MessageIcon::Exclamation, windowTitle());
        });
}

} // namespace tovin
