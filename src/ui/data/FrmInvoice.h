#pragma once

#include "ui/data/OrderSearchScreen.h"

#include <QString>
#include <array>
#include <optional>

namespace tovin {

// The invoice screen: one row of table Invoice per order, with the order's money totals. It
// searches by order number, opens the orders screen on the current order's lines ("View
// Items"), goes to the invoice the orders screen asks for (shared().OrderFilter), and starts
// the invoice of an order just finished on the Products screen from its running totals
// (shared().OrderedItems, when OrderEntry says the order is done).
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
    void cmdUpdate_Click() override;
    void cmdCancel_Click() override;

private:
    void buildInvoiceControls();
    void Command1_Click();
    void openWaitingInvoice();

    QPushButton* Command1 = nullptr;
    // The totals of an order finished while the user was typing another row, for the invoice
    // that opens once that row is saved or dropped.
    std::optional<std::array<QString, 8>> m_waitingInvoice;
};

} // namespace tovin
