#include "core/margins/Margin.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const Money MarginHundred = Money::fromStored(100 * Money::Scale);

// A money column's amount when it holds one other than zero.
std::optional<Money> marginAmountSet(const QVariant& value) {
    const std::optional<Money> amount = Money::fromValue(value);
    if (!amount || amount->isZero())
        return std::nullopt;
    return amount;
}

} // namespace

Margin::Column Margin::sellingColumn(const QVariant& price, const QVariant& retail) {
    if (marginAmountSet(price))
        return Column::Price;
    if (marginAmountSet(retail))
        return Column::Retail;
    return Column::None;
}

std::optional<Money> Margin::sellingPrice(const QVariant& price, const QVariant& retail) {
    if (const std::optional<Money> amount = marginAmountSet(price))
        return amount;
    return marginAmountSet(retail);
}

std::optional<Money> Margin::cost(const QVariant& cost1) {
    return Money::fromValue(cost1);
}

Money Margin::percent(Money price, Money cost, int decimals) {
    return (price - cost).scaledBy(MarginHundred, price, decimals, Money::Rounding::Down);
}

bool Margin::isBelow(Money price, Money cost, Money minimumPercent) {
    return percent(price, cost) < minimumPercent;
}

std::optional<Money> Margin::keptPrice(Money oldPrice, std::optional<Money> oldCost, Money newCost,
                                       PriceEnding ending) {
    // A new cost of zero would scale the price to nothing: no shop sells at 0.
    if (!oldCost || oldCost->isZero() || oldPrice <= Money() || newCost <= Money())
        return std::nullopt;
    const Money exact = oldPrice.scaledBy(newCost, *oldCost, 4, Money::Rounding::Up);
    // Rounded up to the ten-thousandth first and then to the cent: the same cent as the exact
    // quotient's, since a cent is a whole number of ten-thousandths.
    return ending.apply(exact);
}

QString Margin::amountText(Money amount) {
    QString text = amount.toText();
    const qsizetype dot = text.indexOf(u'.');
    if (dot < 0)
        return text + u".00"_s;
    while (text.size() - dot < 3)
        text += u'0';
    return text;
}

QString Margin::percentText(Money percent) {
    const Money one = Money::fromStored(Money::Scale);
    const Money shown = percent.scaledBy(one, one, 1, Money::Rounding::Down);
    QString text = shown.toText();
    if (!text.contains(u'.'))
        text += u".0"_s;
    return text + u'%';
}

} // namespace tovin
