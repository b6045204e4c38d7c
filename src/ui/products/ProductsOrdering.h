#pragma once

#include <QObject>

class QPushButton;

namespace tovin {

class Products;
class StepGuard;
struct OrderSession;

// Ordering from the catalogue on the Products screen: "Order Item" asks the order number, the
// quantity and the shipping method, has the orders screen open a line with the costs worked out
// from the product and its supplier's terms, and when the user saves the line there, raises the
// product's On Order count and notes the order. "Order Done" closes the order and starts its
// invoice. "Re-Order List" lists what needs ordering again and can order one supplier's items.
// While an order is open the screen adds, edits and deletes no product.
class ProductsOrdering : public QObject {
    Q_OBJECT
public:
    // Makes the three buttons on the screen; the screen lays them out.
    ProductsOrdering(Products& screen, OrderSession& order);

    QPushButton* orderItemButton() const { return m_orderItemButton; } // "Command1"
    QPushButton* orderDoneButton() const { return m_orderDoneButton; } // "Command2"
    QPushButton* reorderButton() const { return m_reorderButton; }     // "cmdReorder"

    // Whether an order from the catalogue is open ("Order Done" on show).
    bool orderIsOpen() const;

private:
    void Command1_Click();
    void Command2_Click();
    void cmdReorder_Click();
    // Orders the current product; the quantity asked starts at the suggestion. True when a line
    // was saved and counted on the product.
    bool orderCurrentItem(double suggestedQuantity);
    struct OrderLineRequest;
    bool readyToOrder(StepGuard& step, OrderLineRequest& request);
    bool openOrderLine(StepGuard& step, OrderLineRequest& request);
    bool forgetUnopenedOrder();
    void workOutLineCosts(OrderLineRequest& request);
    void fillOrderLine(OrderLineRequest& request);
    bool lineSavedOnOrdersScreen(StepGuard& step, const OrderLineRequest& request);
    bool recordOrderedLine(StepGuard& step, const OrderLineRequest& request);
    void showOrderOpen(bool open);

    Products& m_screen;
    OrderSession& m_order;
    QPushButton* m_orderItemButton = nullptr;
    QPushButton* m_orderDoneButton = nullptr;
    QPushButton* m_reorderButton = nullptr;
};

} // namespace tovin
