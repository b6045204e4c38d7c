#include "core/orders/OrderMath.h"

#include "core/text/NumberText.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin::OrderMath {

namespace {

// Totals are kept in the boxes as texts; one that is empty or no amount counts as nothing.
Money entry(const QString& text) {
    return amountIn(text).value_or(Money());
}

} // namespace

QString moneyText(Money amount) {
    return amount.format(u"$#,###.##"_s);
}

std::optional<double> numberIn(const QString& text) {
    if (!TextRules::IsNumeric(text))
        return std::nullopt;
    return TextRules::CDbl(text);
}

std::optional<Money> amountIn(const QString& text) {
    return Money::fromText(text);
}

std::optional<Money> netLineCost(const QString& shipping, const QString& fees,
                                 const QString& numberOrdered, const QString& cost,
                                 const QString& discount) {
    const auto s = amountIn(shipping), f = amountIn(fees), c = amountIn(cost),
               d = amountIn(discount);
    const auto n = numberIn(numberOrdered);
    if (!s || !f || !n || !c || !d || *n == 0)
        return std::nullopt;
    return *c + *s + *f - *d;
}

std::optional<Money> netCostEach(const QString& netLineCostText, const QString& numberOrdered) {
    const auto line = amountIn(netLineCostText);
    const auto n = numberIn(numberOrdered);
    if (!line || !n || *n == 0)
        return std::nullopt;
    // Lines are ordered in whole items; a fraction typed into the box divides as a rate.
    if (*n == std::trunc(*n) && std::fabs(*n) < 1e15)
        return line->dividedBy(std::int64_t(*n));
    return line->times(1.0 / *n);
}

std::optional<ShippingChoice> readShippingAnswer(const QString& answer) {
    const QString typed = answer.trimmed();
    const auto number = numberIn(typed);
    if (!number)
        return std::nullopt;
    ShippingChoice choice;
    choice.typed = typed;
    choice.number = *number;
    if (typed.contains(u'$'))
        choice.kind = ShippingChoice::Kind::SetAmount;
    else if (*number >= 1 && *number <= 4 && *number == std::floor(*number))
        choice.kind = ShippingChoice::Kind::SupplierMethod;
    else
        choice.kind = ShippingChoice::Kind::Percentage;
    return choice;
}

LineCosts lineCosts(int quantity, Money costEach, const SupplierTerms& terms,
                    const ShippingChoice& shipping) {
    LineCosts line;
    line.grossCost = costEach * quantity;
    line.discount = line.grossCost.percent(terms.discountPercent);
    line.fees = terms.fees.trimmed();
    switch (shipping.kind) {
    case ShippingChoice::Kind::SetAmount:
        line.shipping = shipping.typed;
        break;
    case ShippingChoice::Kind::SupplierMethod: {
        const double percent = terms.shipPercent.at(size_t(shipping.number) - 1);
        line.shipping = line.grossCost.percent(percent).toText();
        break;
    }
    case ShippingChoice::Kind::Percentage:
        line.shipping = line.grossCost.percent(shipping.number).toText();
        break;
    }
    return line;
}

bool addLineToTotals(OrderTotals& totals, const QString& orderId, const LineCosts& line,
                     double taxRate) {
    if (totals[0].isEmpty())
        totals[0] = orderId;
    if (totals[0] != orderId)
        return false;
    const auto put = [&](int index, Money value) { totals[size_t(index)] = value.toText(); };
    put(1, entry(totals[1]) + line.discount);
    put(7, entry(totals[7]) + line.grossCost);
    put(3, entry(totals[3]) + entry(line.shipping));
    put(4, entry(totals[7]) - entry(totals[1]));
    put(5, entry(totals[5]) + entry(line.fees));
    // The tax is the money text of the exact product, so it is rounded once, to the cent.
    totals[6] = taxRate <= 0
                    ? u"0"_s
                    : moneyText(entry(totals[4]).times(taxRate, 2, Money::Halves::AwayFromZero));
    put(2, entry(totals[4]) + entry(totals[5]) + entry(totals[6]) + entry(totals[3]));
    return true;
}

} // namespace tovin::OrderMath
