#pragma once

#include <QList>
#include <QString>

namespace tovin {

class CatalogueDatabase;

// The products that need ordering again: Orderable, not discontinued, with a re-order level
// (ReOrder above 0) and Inventory at or below it. Goods already on order count towards the stock,
// so a product whose Inventory plus OnOrder is above its ReOrder level is not listed again. The
// quantity to order brings Inventory plus OnOrder one above the ReOrder level, and is at least the
// supplier's minimum order MinOrdW.
namespace ReorderList {

struct Item {
    QString stockNo;
    QString name;
    double inventory = 0;
    double onOrder = 0;
    double reOrder = 0;
    double quantity = 0; // to order
};

struct SupplierGroup {
    QString supplier;  // as the products name it; empty for products without a supplier
    QList<Item> items; // by stock number
};

// What the line says when its quantity is more than one order line takes (the order prompt
// accepts up to TextRules::IntegerMax): the product has to be ordered over several lines.
// Empty for a quantity that fits.
QString limitNote(const Item& item);

// Groups by supplier name (suppliers in alphabetical order, letter case aside).
QList<SupplierGroup> build(CatalogueDatabase& db);

// The list as plain text, one block per supplier.
QString asText(const QList<SupplierGroup>& groups);

} // namespace ReorderList

} // namespace tovin
