#pragma once

#include "core/text/Money.h"

#include <QString>
#include <array>
#include <optional>

// The money arithmetic of order lines and invoices: the costs of a line ordered from the
// catalogue, the running totals of an open order, and the net cost figures of a line.
namespace tovin::OrderMath {

// Money computed by the program: "$", thousands grouped, at most two decimals, no added zeros
// (1234.5 -> "$1,234.5", 0.25 -> "$.25").
QString moneyText(Money amount);

// The number a box's text stands for ("$1,234.50", "12", "-3"); nothing for an empty or
// non-numeric text.
std::optional<double> numberIn(const QString& text);
// The amount a box's text stands for, to the ten-thousandth as written.
std::optional<Money> amountIn(const QString& text);

// Net cost of an order line: Cost + Shipping + Fees - Discount, from the texts of those boxes.
// The fee is charged once for the line, whatever its quantity. Nothing when one of them is not
// a number, or NumberOrdered is empty or 0 (a line of nothing has no cost to pass on to stock).
std::optional<Money> netLineCost(const QString& shipping, const QString& fees,
                                 const QString& numberOrdered, const QString& cost,
                                 const QString& discount);
// Net cost of one item, what a received item costs the shop: the line's net cost text read as
// an amount, divided by NumberOrdered.
std::optional<Money> netCostEach(const QString& netLineCostText, const QString& numberOrdered);

// The answer to "What Shipping Method For This Order?".
struct ShippingChoice {
    enum class Kind {
        SetAmount,      // the answer held a "$": that amount, as typed
        SupplierMethod, // 1 to 4: the supplier's charge for that method, a percentage
        Percentage,     // any other number: that percentage of the gross cost
    };
    Kind kind = Kind::Percentage;
    QString typed;
    double number = 0; // the amount, the method number or the percentage
};
// Nothing when the answer is not a number (a leading "$" is allowed).
std::optional<ShippingChoice> readShippingAnswer(const QString& answer);

// What the line's costs are worked out from: a supplier's terms.
struct SupplierTerms {
    QString name;
    double discountPercent = 0;          // Discounts, 10 for 10 %
    QString fees;                        // OtherChgs, as the supplier row holds it
    std::array<double, 4> shipPercent{}; // Ship1 to Ship4, 5 for 5 %
    double taxRate = 0;                  // TaxRate as a fraction, 0.07 for 7 %
};

// The money boxes of one order line, as texts for the orders screen's boxes.
struct LineCosts {
    Money grossCost;  // quantity x cost each
    Money discount;   // discount percent of the gross cost
    QString fees;     // the supplier's fee text
    QString shipping; // a set amount as typed, else plain decimal
};
LineCosts lineCosts(int quantity, Money costEach, const SupplierTerms& terms,
                    const ShippingChoice& shipping);

// The running totals of the open order, by position the columns of an invoice row:
// 0 Order ID, 1 Discount, 2 Grand Total, 3 Shipping, 4 Sub Total, 5 Sub Total2 (fees),
// 6 Tax (money text), 7 Total Order (gross).
using OrderTotals = std::array<QString, 8>;

// Adds one line to the totals of order `orderId`. Totals that belong to another order are left
// alone (an empty entry 0 takes `orderId`). Returns whether the line was added.
bool addLineToTotals(OrderTotals& totals, const QString& orderId, const LineCosts& line,
                     double taxRate);

} // namespace tovin::OrderMath
