#pragma once

#include "ui/data/OrderSearchScreen.h"

namespace tovin {

// The invoice screen: one row of table Invoice per order, with the order's money totals. It
// searches by order number, opens the orders screen on the current order's lines ("View
// Items"), goes to the invoice the orders screen asks for (shared().OrderFilter), and starts
// the invoice of an order just finished on the Products screen from its running totals
// (shared().OrderedItems, when shared().OrderEntryState is 7).
class FrmInvoice : public OrderSearchScreen {
    Q_OBJECT
public:
    explicit FrmInvoice(QWidget* parent = nullptr);

    // Goes to the invoice of shared().OrderFilter and empties it.
    void goToOrderFilter();
    // Starts the invoice of the order just finished from its running totals.
    void startInvoiceOfOrder();

protected:
    void Form_Activate() override;
    void SetButtons(bool browse) override;

private:
    void buildInvoiceControls();
    void Command1_Click();

    QPushButton* Command1 = nullptr;
};

} // namespace tovin
