#include "ui/products/ProductsOrdering.h"

#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/CatalogueOrdering.h"
#include "core/orders/OrderEntry.h"
#include "core/orders/OrderMath.h"
#include "core/orders/OrderSession.h"
#include "core/orders/ReorderList.h"
#include "core/query/Condition.h"
#include "core/shell/ErrorReporting.h"
#include "core/text/DateText.h"
#include "core/text/NumberFormat.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/FrmInvoice.h"
#include "ui/data/FrmOrders.h"
#include "ui/data/RecordBinding.h"
#include "ui/products/ProductBoxes.h"
#include "ui/products/Products.h"
#include "ui/products/ProductsHelpPages.h"
#include "ui/products/ReorderDialog.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ControlMaking.h"

#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString OrdersScreen = u"frmOrders"_s;

const QString ShippingPrompt = QStringList{u"What Shipping Method For This Order?"_s,
                                           QString(),
                                           u"1 = Regular Mail"_s,
                                           u"2 = UPS"_s,
                                           u"3 = Other Method 1"_s,
                                           u"4 = Other Method 2"_s,
                                           QString(),
                                           u"Other = Enter Your Own Number:"_s,
                                           u"For Set Amounts Use The Dollar ($) Sign"_s,
                                           u"For Percentages (%) Use Whole Numebrs Like 5 For 5%"_s}
                                   .join(u"\r\n"_s);

} // namespace

ProductsOrdering::ProductsOrdering(Products& screen, OrderSession& order)
    : QObject(&screen), m_screen(screen), m_order(order) {
    // "Order Done": shown only while an order from the catalogue is open.
    m_orderDoneButton = makeButton(&screen, u"Command2"_s, u"Order Done"_s);
    m_orderDoneButton->hide();
    m_orderItemButton = makeButton(&screen, u"Command1"_s, u"Order Item"_s,
                                   u"Order this product from its supplier"_s);
    m_reorderButton = makeButton(&screen, u"cmdReorder"_s, u"Re-Order List"_s,
                                 u"The products to order again, by supplier"_s);
    connect(m_orderItemButton, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(m_orderDoneButton, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(m_reorderButton, &QPushButton::clicked, this, [this] { cmdReorder_Click(); });
}

bool ProductsOrdering::orderIsOpen() const {
    return !m_orderDoneButton->isHidden();
}

void ProductsOrdering::showOrderOpen(bool open) {
    m_orderDoneButton->setVisible(open);
    for (QPushButton* b : {m_screen.cmdAdd, m_screen.cmdEdit, m_screen.cmdDelete})
        b->setVisible(!open);
    m_screen.hideRowChangesWhileOrderOpen();
}

void ProductsOrdering::Command1_Click() {
    orderCurrentItem(1);
}

// What one "Order Item" gathers on its way: the supplier's terms, the answers, the orders
// screen holding the line, and the line's costs.
struct ProductsOrdering::OrderLineRequest {
    double suggestedQuantity = 1;
    OrderMath::SupplierTerms terms;
    int quantity = 0;
    std::optional<OrderMath::ShippingChoice> shipping;
    QPointer<FrmOrders> orders;
    Money costEach;
    OrderMath::LineCosts line;
    QString stockNo;
};

bool ProductsOrdering::orderCurrentItem(double suggestedQuantity) {
    StepGuard step(m_screen.procedureLabel(u"Command1_Click"_s), m_screen.promptsInUse());
    // The screen stays usable while a line waits on the orders screen; a second order meanwhile
    // brings that line back to the front instead.
    bool& ordering = m_order.LineUnderWay;
    if (ordering) {
        step([] { ChildWindows::show(OrdersScreen); });
        return false;
    }
    if (!m_screen.adoPrimaryRS->hasCurrentRow() || m_screen.m_help->active())
        return false;
    ordering = true;
    const auto done = qScopeGuard([&ordering] { ordering = false; });
    OrderLineRequest request;
    request.suggestedQuantity = suggestedQuantity;
    if (!readyToOrder(step, request) || !openOrderLine(step, request))
        return false;
    fillOrderLine(request);
    if (!lineSavedOnOrdersScreen(step, request))
        return false;
    return recordOrderedLine(step, request);
}

// The product's own typing is written first (the order changes the product afterwards), and
// its supplier's terms must be known to work out the line's costs.
bool ProductsOrdering::readyToOrder(StepGuard& step, OrderLineRequest& request) {
    if (m_screen.m_addingFlag || m_screen.m_editingFlag) {
        step([this] {
            m_screen.promptsInUse().required().notice(
                u"Please Click Update Or Cancel Before Ordering This Item."_s,
                MessageIcon::Exclamation);
        });
        return false;
    }
    if (!m_screen.writeStep(step, [this] { m_screen.adoPrimaryRS->update(); }))
        return false;
    m_order.OrderFilter.clear();

    const QString supplier = m_screen.txtFields(ProductBox::Supplier)->text().trimmed();
    std::optional<OrderMath::SupplierTerms> terms;
    step([&] { terms = CatalogueOrdering::supplierTerms(m_screen.connection(), supplier); });
    if (!terms) {
        step([&] {
            m_screen.promptsInUse().required().notice(
                supplier.isEmpty()
                    ? u"This product has no supplier, so its discount, fees, shipping and tax "
                      u"can't be worked out. Enter its supplier first."_s
                    : u"The supplier \""_s + supplier +
                          u"\" of this product is not in the supplier list, so its discount, "
                          u"fees, shipping and tax can't be worked out. Add it on the supplier "
                          u"screen under that name first."_s,
                MessageIcon::Exclamation);
        });
        return false;
    }
    request.terms = *terms;
    return true;
}

// A number typed for a new order is forgotten when no line of it was opened, so the next
// "Order Item" asks for it (and checks it) again.
bool ProductsOrdering::forgetUnopenedOrder() {
    if (!orderIsOpen())
        m_order.CurrentKey.clear();
    return false;
}

// The order number (unless an order is open), the quantity and the shipping method; then the
// orders screen opens a new line for them, or refuses a number already used and the number is
// asked again.
bool ProductsOrdering::openOrderLine(StepGuard& step, OrderLineRequest& request) {
    OrderEntry entry(m_order);
    for (;;) {
        if (m_order.CurrentKey.isEmpty()) {
            QString number;
            step([&] {
                number = m_screen.promptsInUse().required().input(
                    u"Enter The Order Number/ID Below"_s, u"Order Number/ID"_s, QString());
            });
            if (number.trimmed().isEmpty())
                return false;
            m_order.CurrentKey = number.trimmed();
            m_order.OrderFromCatalog = true;
        } else {
            m_order.OrderFromCatalog = false;
        }
        QString howMany;
        step([&] {
            howMany = m_screen.promptsInUse().required().input(
                u"Order How Many?"_s, u"How Many?"_s,
                TextRules::plainDecimal(request.suggestedQuantity));
        });
        const OrderEntry::Quantity asked = OrderEntry::readQuantity(howMany);
        if (asked.outcome == OrderEntry::Quantity::Outcome::Cancelled)
            return forgetUnopenedOrder();
        if (asked.outcome == OrderEntry::Quantity::Outcome::Refused) {
            step([this] {
                m_screen.promptsInUse().required().notice(OrderEntry::quantityRefused(),
                                                          MessageIcon::Exclamation);
            });
            return forgetUnopenedOrder();
        }
        request.quantity = asked.count;
        QString method;
        step([&] {
            method =
                m_screen.promptsInUse().required().input(ShippingPrompt, u"How Many?"_s, u"1"_s);
        });
        request.shipping = OrderMath::readShippingAnswer(method);
        if (!request.shipping)
            return forgetUnopenedOrder();
        // Costs the supplier's terms make too large to hold are told before any line opens.
        if (!step([&] { workOutLineCosts(request); })) {
            const QString reason = step.lastError() ? step.lastError()->description() : QString();
            step([&] {
                m_screen.promptsInUse().required().notice(
                    u"The costs of this line can't be worked out ("_s + reason +
                        u"). Check the discount, fees and shipping of the supplier \""_s +
                        m_screen.txtFields(ProductBox::Supplier)->text().trimmed() + u"\"."_s,
                    MessageIcon::Exclamation);
            });
            return forgetUnopenedOrder();
        }

        showOrderOpen(true);
        entry.askForLine();
        step([&] { request.orders = qobject_cast<FrmOrders*>(ChildWindows::load(OrdersScreen)); });
        if (request.orders)
            request.orders->answerOrderEntry();
        if (entry.numberRefused()) {
            // The number is used already: the orders screen said so; ask another.
            showOrderOpen(false);
            continue;
        }
        break;
    }
    if (!entry.lineOpened() || !request.orders) {
        entry.abandon();
        showOrderOpen(!m_order.CurrentKey.isEmpty() && !m_order.OrderFromCatalog);
        return forgetUnopenedOrder();
    }
    return true;
}

// The line's costs, from the product's cost and the supplier's terms.
void ProductsOrdering::workOutLineCosts(OrderLineRequest& request) {
    request.costEach = Money::fromValue(m_screen.adoPrimaryRS->value(u"Cost1"_s)).value_or(Money());
    request.line =
        OrderMath::lineCosts(request.quantity, request.costEach, request.terms, *request.shipping);
}

// The new line's boxes, with the costs worked out before it was opened.
void ProductsOrdering::fillOrderLine(OrderLineRequest& request) {
    request.stockNo = m_screen.txtFields(ProductBox::StockNo)->text();
    FrmOrders::CatalogueLine boxes;
    boxes.orderId = m_order.CurrentKey;
    boxes.stockNo = request.stockNo;
    boxes.name = m_screen.txtFields(ProductBox::ProdName)->text();
    boxes.packing = m_screen.txtFields(ProductBox::Packaging)->text();
    boxes.dateOrdered = TextRules::formatDate(QDate::currentDate(), u"MM/DD/YYYY"_s);
    boxes.quantity = QString::number(request.quantity);
    boxes.grossCost = request.line.grossCost.toText();
    boxes.costEach = request.costEach.toText();
    boxes.discount = request.line.discount.toText();
    boxes.fees = request.line.fees;
    boxes.shipping = request.line.shipping;
    request.orders->fillCatalogueLine(boxes);
    m_order.SupplierTaxRate = request.terms.taxRate;
}

// The user checks the line on the orders screen and saves or cancels it there.
bool ProductsOrdering::lineSavedOnOrdersScreen(StepGuard& step, const OrderLineRequest& request) {
    OrderEntry entry(m_order);
    entry.awaitDecision();
    step([] { ChildWindows::show(OrdersScreen); });
    // A wait abandoned because the program is closing records nothing.
    const bool settled = waitUntil([&] { return entry.decided() || !request.orders; });
    const bool lineSaved = entry.finish();
    return settled && lineSaved;
}

// Only a saved line counts towards the invoice and the product's On Order. On Order takes the
// quantity the line was saved with; the notes keep the quantity asked for here, so a line
// changed on the orders screen shows in the notes as ordered, not as saved.
bool ProductsOrdering::recordOrderedLine(StepGuard& step, const OrderLineRequest& request) {
    const double ordered = OrderEntry(m_order).savedQuantity();
    OrderMath::addLineToTotals(m_order.OrderedItems, m_order.CurrentKey, request.line,
                               m_order.SupplierTaxRate);
    bool recorded = false;
    step([&] {
        recorded = CatalogueOrdering::recordOrdered(
            m_screen.connection(), request.stockNo, ordered,
            CatalogueOrdering::orderedNote(QDate::currentDate(), request.quantity,
                                           m_order.CurrentKey));
    });
    if (!recorded)
        step([&] {
            m_screen.promptsInUse().required().notice(
                u"The order line was saved, but the product "_s + request.stockNo +
                    u" could not be found to add it to its On Order count."_s,
                MessageIcon::Exclamation);
        });
    return recorded;
}

void ProductsOrdering::Command2_Click() {
    StepGuard step(m_screen.procedureLabel(u"Command2_Click"_s), ErrorStyle::IgnoreAndResume);
    showOrderOpen(false);
    m_order.CurrentKey.clear();
    OrderEntry(m_order).orderDone();
    m_order.OrderFromCatalog = false;
    step([] {
        if (auto* invoice = qobject_cast<FrmInvoice*>(ChildWindows::show(u"frmInvoice"_s)))
            invoice->startInvoiceOfOrder();
    });
}

// The re-order list; the user may order one supplier's items from it, one line each.
void ProductsOrdering::cmdReorder_Click() {
    StepGuard step(m_screen.procedureLabel(u"cmdReorder_Click"_s), m_screen.promptsInUse());
    QList<ReorderList::SupplierGroup> groups;
    if (!step([&] { groups = ReorderList::build(m_screen.connection()); }))
        return;
    ReorderDialog dialog(groups, &m_screen);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::optional<ReorderList::SupplierGroup> chosen = dialog.chosenGroup();
    if (!chosen)
        return;
    for (const ReorderList::Item& item : chosen->items) {
        bool found = false;
        m_screen.writeStep(step, [&] {
            m_screen.adoPrimaryRS->find(
                u"StockNo = '"_s + quoteConditionValue(item.stockNo) + u"'"_s, 0,
                RecordSet::SearchDirection::Forward, RecordSet::FindStart::FirstRow);
            found = m_screen.adoPrimaryRS->hasCurrentRow();
        });
        if (!found) {
            step([&] {
                m_screen.promptsInUse().required().notice(
                    u"Product "_s + item.stockNo +
                        u" is not among the products shown; click Reset Data to "
                        u"show every product, then order it."_s,
                    MessageIcon::Exclamation);
            });
            m_screen.writeStep(step, [this] { m_screen.adoPrimaryRS->moveFirst(); });
            return;
        }
        if (!orderCurrentItem(item.quantity))
            return;
    }
}

} // namespace tovin
