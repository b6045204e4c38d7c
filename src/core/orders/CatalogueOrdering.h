#pragma once

#include "core/orders/OrderMath.h"

#include <QDate>
#include <QString>
#include <optional>

namespace tovin {

class CatalogueDatabase;

// What ordering from the catalogue and selling from stock write into the catalogue: the
// supplier's terms, the product's OnOrder count, stock and sold counts, and the dated lines of
// its notes.
namespace CatalogueOrdering {

// The dated lines appended to a product's notes ("01/31/03 - Ordered 4 Items. Order Number:
// A100" and "03/12/03 - Received Item", each ended by a carriage return and line feed).
QString orderedNote(const QDate& day, int quantity, const QString& orderId);
QString receivedNote(const QDate& day);

// The terms of the supplier with that name (blanks around it and letter case aside); nothing
// when no supplier row has that name.
std::optional<OrderMath::SupplierTerms> supplierTerms(CatalogueDatabase& db, const QString& name);

// Whether any order line carries that order number.
bool orderNumberExists(CatalogueDatabase& db, const QString& orderId);

// After a line was ordered: the product's OnOrder rises by `quantity` and its notes gain the
// ordered line, both or neither. False when no product has that stock number.
bool recordOrdered(CatalogueDatabase& db, const QString& stockNo, double quantity,
                   const QString& note);

// A sale from stock: the product's Inventory falls and its NoSold rises by `quantity`, written
// in the transaction the caller has open, so that they go with the sale's own row. False, and
// nothing written, when no product has that stock number.
bool takeSaleOffStock(CatalogueDatabase& db, const QString& stockNo, double quantity);

// A sale from stock that was not saved: its items go back on the product's stock row in table
// Inventory. False when there is no such row.
bool putBackInStock(CatalogueDatabase& db, const QString& stockNo, double quantity);

} // namespace CatalogueOrdering

} // namespace tovin
