#pragma once

#include "ui/data/OrderSearchScreen.h"

namespace tovin {

struct OrderSession;

// The orders screen: the lines of the orders placed with suppliers, table Orders by order
// number and stock number. Boxes 10 (net cost each) and 13 (net cost of the line) hold figures
// computed from the line; they are not columns of the table.
//
// Besides the record pattern it searches by order number, opens the order's invoice, receives
// ordered goods into stock ("Receive": the whole order, or line by line with "R-Update"), and
// opens a new line for the product being ordered from the catalogue (the hand-over with the
// Products screen, OrderEntry).
class FrmOrders : public OrderSearchScreen {
    Q_OBJECT
public:
    static constexpr int NetCostEachBox = 10;
    static constexpr int NetCostBox = 13;

    // `order` is the shell's OrderSession, through which the order and sales screens hand work on.
    FrmOrders(const CatalogueInUse& catalogue, const PromptsInUse& prompts, OrderSession& order,
              QWidget* parent = nullptr);

    // The boxes of a line ordered from the catalogue, as texts.
    struct CatalogueLine {
        QString orderId, stockNo, name, packing, dateOrdered;
        QString quantity, grossCost, costEach, discount, fees, shipping;
    };

    // Answers a line asked for by the catalogue: opens a new line, or reports an order number
    // that is already used (CurrentKey emptied, the screen closes).
    void answerOrderEntry();
    // Fills the new line opened by answerOrderEntry().
    void fillCatalogueLine(const CatalogueLine& line);
    // Shows only the lines of OrderSession::OrderFilter when it is set.
    void applyOrderFilter();

protected:
    void Form_Activate() override;
    void Form_Unload() override;
    void adoPrimaryRS_MoveComplete() override;
    void cmdAdd_Click() override;
    void cmdUpdate_Click() override;
    void cmdCancel_Click() override;
    void cmdDelete_Click() override;
    void SetButtons(bool browse) override;
    void txtFields_Change(int index) override;

private:
    OrderSession& m_order;
    void buildOrderControls();
    void Command1_Click();
    void Command2_Click();
    void receiveAll();
    void receiveCurrentLine();
    bool readyToReceive();
    void showNetCosts();
    void clearNetCosts();

    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    bool m_computing = false;
};

} // namespace tovin
