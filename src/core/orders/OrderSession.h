#pragma once

#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>

namespace tovin {

// The order being taken and the sale from stock being made: what the Products, orders, invoice,
// inventory and sales screens hand each other. The window's shell owns one and gives it to
// those screens; every value starts empty, zero or false.
struct OrderSession {
    // The tax rate of the order being made, as a fraction (0.06 for 6 %), as the supplier's row
    // holds it. Money counts a double rate by the digits it is written with, so 0.06 taxes
    // 10.25 at 0.615 exactly; a narrower type would make it 0.0599999986 and lose the cent that
    // half rounds to.
    double SupplierTaxRate = 0;

    // The number of the order being made from the catalogue; OrderFromCatalog once its first
    // line was asked for.
    QString CurrentKey;
    bool OrderFromCatalog = false;
    // Where the hand-over of an order line stands (OrderEntry reads and writes it).
    std::int16_t OrderEntryState = 0;
    // The order the orders and invoice screens are to show, as a condition.
    QString OrderFilter;
    // The running totals of the order being made, for its invoice.
    std::array<QString, 8> OrderedItems;
    // A line of the order is being taken from the Products screen (it may wait on the orders
    // screen): a second one meanwhile brings that line back to the front instead.
    bool LineUnderWay = false;

    // A sale from stock, from the inventory screen to the sales screen (StockSaleEntry). Its
    // stock number is kept apart from CurrentKey, which holds the number of an order that may
    // be open at the same time.
    bool SaleFromInventory = false;
    std::int16_t SoldQuantity = 0;
    QString SoldStockNo;
    // The price of the line or sale under way: the quantity ordered, or a sale's cost each.
    QVariant ItemPrice;
};

} // namespace tovin
