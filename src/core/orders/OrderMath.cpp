#include "core/orders/OrderMath.h"

#include "core/text/NumberFormat.h"
#include "core/text/NumberText.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin::OrderMath {

namespace {

// Sums of money are kept to the four decimals the money columns hold, so 9 + 1.5 + 0.63 + 0.5
// is written 11.63 and not as the nearest binary fraction.
double money(double amount) {
    return TextRules::roundHalfEven(amount, 4);
}

double entry(const QString& text) {
    return numberIn(text).value_or(0);
}

} // namespace

QString moneyText(double amount) {
    return TextRules::formatNumber(amount, u"$#,###.##"_s);
}

std::optional<double> numberIn(const QString& text) {
    if (!TextRules::IsNumeric(text))
        return std::nullopt;
    return TextRules::CDbl(text);
}

std::optional<double> netLineCost(const QString& shipping, const QString& fees,
                                  const QString& numberOrdered, const QString& cost,
                                  const QString& discount) {
    const auto s = numberIn(shipping), f = numberIn(fees), n = numberIn(numberOrdered),
               c = numberIn(cost), d = numberIn(discount);
    if (!s || !f || !n || !c || !d || *n == 0)
        return std::nullopt;
    return *c + *s + *f - *d;
}

std::optional<double> netCostEach(const QString& netLineCostText, const QString& numberOrdered) {
    const auto line = numberIn(netLineCostText), n = numberIn(numberOrdered);
    if (!line || !n || *n == 0)
        return std::nullopt;
    return *line / *n;
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

LineCosts lineCosts(int quantity, double costEach, const SupplierTerms& terms,
                    const ShippingChoice& shipping) {
    LineCosts line;
    line.grossCost = money(quantity * costEach);
    line.discount = money(terms.discountPercent * 0.01 * line.grossCost);
    line.fees = terms.fees.trimmed();
    switch (shipping.kind) {
    case ShippingChoice::Kind::SetAmount:
        line.shipping = shipping.typed;
        break;
    case ShippingChoice::Kind::SupplierMethod: {
        const double percent = terms.shipPercent.at(size_t(shipping.number) - 1);
        line.shipping = TextRules::plainDecimal(money(percent * 0.01 * line.grossCost));
        break;
    }
    case ShippingChoice::Kind::Percentage:
        line.shipping = TextRules::plainDecimal(money(line.grossCost * shipping.number * 0.01));
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
    const auto put = [&](int index, double value) {
        totals[size_t(index)] = TextRules::plainDecimal(money(value));
    };
    put(1, entry(totals[1]) + line.discount);
    put(7, entry(totals[7]) + line.grossCost);
    put(3, entry(totals[3]) + entry(line.shipping));
    put(4, entry(totals[7]) - entry(totals[1]));
    put(5, entry(totals[5]) + entry(line.fees));
    totals[6] = taxRate <= 0 ? u"0"_s : moneyText(entry(totals[4]) * taxRate);
    put(2, entry(totals[4]) + entry(totals[5]) + entry(totals[6]) + entry(totals[3]));
    return true;
}

} // namespace tovin::OrderMath
