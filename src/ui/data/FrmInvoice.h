#pragma once

#include "ui/data/OrderSearchScreen.h"

#include <QString>
#include <array>
#include <optional>

namespace tovin {

struct OrderSession;

// The invoice screen: one row of table Invoice per order, with the order's money totals. It
// searches by order number, opens the orders screen on the current order's lines ("View
// Items"), goes to the invoice the orders screen asks for (OrderSession::OrderFilter), and starts
// the invoice of an order just finished on the Products screen from its running totals
// (OrderSession::OrderedItems, when OrderEntry says the order is done).
class FrmInvoice : public OrderSearchScreen {
    Q_OBJECT
public:
    // `order` is the shell's OrderSession, through which the order and sales screens hand work on.
    FrmInvoice(const CatalogueInUse& catalogue, const PromptsInUse& prompts, OrderSession& order,
               QWidget* parent = nullptr);

    // Goes to the invoice of OrderSession::OrderFilter and empties it.
    void goToOrderFilter();
    // Starts the invoice of the order just finished from its running totals.
    void startInvoiceOfOrder();

protected:
    void Form_Activate() override;
    void SetButtons(bool browse) override;
    void cmdUpdate_Click() override;
    void cmdCancel_Click() override;

private:
    OrderSession& m_order;
    void buildInvoiceControls();
    void Command1_Click();
    void openWaitingInvoice();

    QPushButton* Command1 = nullptr;
    // The totals of an order finished while the user was typing another row, for the invoice
    // that opens once that row is saved or dropped.
    std::optional<std::array<QString, 8>> m_waitingInvoice;
};

} // namespace tovin
