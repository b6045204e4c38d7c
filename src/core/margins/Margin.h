#pragma once

#include "core/margins/PriceEnding.h"
#include "core/text/Money.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace tovin {

// The margin of a product: (selling price - Cost1) / selling price, where the selling price is
// Price, or Retail when Price is empty. A money column is empty when it is null or zero: every
// new product gets 0 in the money columns it is not given, and no shop sells at 0. A cost of
// zero is a cost, a null one is none. A product without a selling price or a cost has no
// margin: it is counted apart, never as 0 % or 100 %.
class Margin {
public:
    enum class Column { None, Price, Retail };

    // Which column is the selling price of a product holding these values.
    static Column sellingColumn(const QVariant& price, const QVariant& retail);
    // Its amount; nothing when neither is set.
    static std::optional<Money> sellingPrice(const QVariant& price, const QVariant& retail);
    // Cost1 as a cost; nothing when null or no number.
    static std::optional<Money> cost(const QVariant& cost1);

    // The margin in percent, rounded down to `decimals`: exact comparison with a limit of four
    // decimals or fewer (margin < limit exactly when the rounded-down margin is). `price` > 0.
    static Money percent(Money price, Money cost, int decimals = 4);
    // Whether the margin is under `minimumPercent`.
    static bool isBelow(Money price, Money cost, Money minimumPercent);

    // The price that keeps the margin when the cost moves from `oldCost` to `newCost`:
    // oldPrice x newCost / oldCost, exactly, then rounded up to the cent and to `ending`.
    // Nothing when the old cost is missing or zero, the new cost is zero or less, or there is
    // no old price (> 0): the price is then left as it is.
    static std::optional<Money> keptPrice(Money oldPrice, std::optional<Money> oldCost,
                                          Money newCost, PriceEnding ending);

    // An amount as the margin lists show it: at least two decimals, all four when kept
    // ("4.25", "3.8925", "-1.50").
    static QString amountText(Money amount);
    // A percentage with one decimal, rounded down ("19.9%", "-5.6%").
    static QString percentText(Money percent);
};

} // namespace tovin
