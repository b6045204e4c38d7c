#pragma once

#include "ui/data/RecordScreen.h"

namespace tovin {

struct OrderSession;

// The sales screen: one row of table Sales per sale from stock. Box 7 holds the sale's net
// profit, a figure computed from the row rather than a column of the table.
//
// A sale handed over by the inventory screen (StockSaleEntry) opens as a new row filled with
// the stock number, quantity, date and cost; the transaction that saves the row also takes the
// quantity off the product's stock and onto its sold count (StockSaleProduct). Cancelled, the
// sale is dropped and its items go back on the stock row.
class FrmSales : public RecordScreen {
    Q_OBJECT
public:
    static constexpr int NetProfitBox = 7;

    // `order` is the shell's OrderSession, through which the order and sales screens hand work on.
    FrmSales(const CatalogueInUse& catalogue, const PromptsInUse& prompts, OrderSession& order,
             QWidget* parent = nullptr);

    // Opens the new row of a sale handed over by the inventory screen (once per sale).
    void startSaleFromStock();

protected:
    void Form_Activate() override;
    void adoPrimaryRS_MoveComplete() override;
    void cmdAdd_Click() override;
    void cmdUpdate_Click() override;
    void cmdCancel_Click() override;
    void SetButtons(bool browse) override;
    void txtFields_Change(int index) override;

private:
    OrderSession& m_order;
    void showNetProfit();
};

} // namespace tovin
