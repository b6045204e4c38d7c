#pragma once

#include <QString>
#include <QVariant>

namespace tovin {

class CatalogueDatabase;

// A sale recorded on the sales screen, taken over by the Products screen: the pieces sold come
// off the product's Inventory and onto its NoSold.
namespace SaleFromStock {

struct Stock {
    QString inventory;
    QString noSold;
};

// Inventory and NoSold after `sold` pieces were sold, as the plain decimal texts written back
// (an empty or unreadable figure counts as 0).
Stock after(const QVariant& inventory, const QVariant& noSold, int sold);

// Writes a sale into the catalogue row of the product with this stock number, whatever any
// screen lists at the moment. Returns false when no product has that number. A write the
// catalogue refuses raises a RunTimeError and changes nothing.
bool record(CatalogueDatabase& db, const QString& stockNo, int sold);

} // namespace SaleFromStock

} // namespace tovin
