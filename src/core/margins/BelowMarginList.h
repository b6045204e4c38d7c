#pragma once

#include "core/text/Money.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tovin {

class CatalogueDatabase;

// A product whose margin is under a limit.
struct BelowMarginRow {
    qint64 rowId = 0; // the product's row (as ProductSelection gives it)
    QString stockNumber;
    QString name;
    Money cost;          // Cost1
    Money price;         // the selling price (Price, or Retail when Price is empty)
    Money marginPercent; // exact to four decimals, rounded down
};

// The products under a margin, worst first (then by stock number), over the products a
// condition chooses (as the search screens and the export's --where write it; empty: every
// product). Products without a selling price or a cost are passed over and counted.
class BelowMarginList {
public:
    // Raises the condition's RunTimeError when it cannot be used.
    static BelowMarginList find(CatalogueDatabase& db, Money belowPercent,
                                const QString& where = QString());

    Money belowPercent;
    QList<BelowMarginRow> rows;
    qint64 looked = 0;     // the products the condition chose
    qint64 passedOver = 0; // of them, those without a selling price or a cost

    // "A12  Glass vase  cost 4.25  price 4.99  margin 14.8%"
    static QString rowLine(const BelowMarginRow& row);
    // "3 of 120 products are under a margin of 20%; 4 without a price or cost were passed over"
    QString countLine() const;
};

} // namespace tovin
