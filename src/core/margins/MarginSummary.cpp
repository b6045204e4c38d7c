#include "core/margins/MarginSummary.h"

#include "core/margins/Margin.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

Money summaryMarginOf(const MarginProduct& product) {
    return Margin::percent(*product.price, *product.cost);
}

// Keeps the `MarginSummary::Named` worst margins, worst first; equal margins in import order.
void keepWorstMargins(QList<MarginProduct>& named, const MarginProduct& product) {
    const Money margin = summaryMarginOf(product);
    const auto at = std::upper_bound(
        named.begin(), named.end(), margin,
        [](Money m, const MarginProduct& other) { return m < summaryMarginOf(other); });
    if (at == named.end() && named.size() >= MarginSummary::Named)
        return;
    named.insert(at, product);
    if (named.size() > MarginSummary::Named)
        named.removeLast();
}

void keepFirstNamed(QList<MarginProduct>& named, const MarginProduct& product) {
    if (named.size() < MarginSummary::Named)
        named.append(product);
}

QString summaryAmount(const std::optional<Money>& amount) {
    return amount ? Margin::amountText(*amount) : u"none"_s;
}

QString summaryName(const MarginProduct& product) {
    return product.name.isEmpty() ? product.stockNumber
                                  : product.stockNumber + u" \""_s + product.name + u'"';
}

QString marginLine(const MarginProduct& product) {
    return u"    %1: cost %2, price %3, margin %4"_s.arg(
        summaryName(product), Margin::amountText(*product.cost), Margin::amountText(*product.price),
        Margin::percentText(summaryMarginOf(product)));
}

QString lackingLine(const MarginProduct& product) {
    QString lacks;
    if (!product.price && !product.cost)
        lacks = u"no price and no cost"_s;
    else if (!product.price)
        lacks = u"no price"_s;
    else
        lacks = u"no cost"_s;
    return u"    %1: %2"_s.arg(summaryName(product), lacks);
}

QString movedLine(const MarginProduct& product) {
    return u"    %1: price %2 to %3 (cost %4 to %5)"_s.arg(
        summaryName(product), summaryAmount(product.oldPrice), summaryAmount(product.price),
        summaryAmount(product.oldCost), summaryAmount(product.cost));
}

QString unmovableLine(const MarginProduct& product) {
    QString why;
    if (!product.price)
        why = u"no selling price"_s;
    else if (!product.oldCost)
        why = u"no earlier cost"_s;
    else
        why = u"earlier cost 0"_s;
    return u"    %1: cost %2 to %3, price %4 kept (%5)"_s.arg(
        summaryName(product), summaryAmount(product.oldCost), summaryAmount(product.cost),
        summaryAmount(product.price), why);
}

// A count line, the named products under it and how many more there are.
void appendGroup(QStringList& lines, const QString& heading, qint64 count,
                 const QList<MarginProduct>& named, QString (*line)(const MarginProduct&)) {
    if (count == 0)
        return;
    lines << heading;
    for (const MarginProduct& product : named)
        lines << line(product);
    if (count > named.size())
        lines << u"    ... and %1 more"_s.arg(count - named.size());
}

QString productCount(qint64 count) {
    return count == 1 ? u"1 product"_s : u"%1 products"_s.arg(count);
}

} // namespace

void MarginSummary::add(const MarginProduct& product) {
    ++touched;
    if (product.oldCost && product.cost && *product.oldCost != *product.cost) {
        if (*product.cost > *product.oldCost) {
            ++costRose;
            const Money rise = *product.cost - *product.oldCost;
            if (!largestRise || rise > *largestRise->cost - *largestRise->oldCost)
                largestRise = product;
        } else {
            ++costFell;
        }
    }
    if (product.kept == MarginProduct::Kept::Moved) {
        ++pricesMoved;
        keepFirstNamed(pricesMovedNamed, product);
    } else if (product.kept == MarginProduct::Kept::Unmovable) {
        ++pricesUnmovable;
        keepFirstNamed(pricesUnmovableNamed, product);
    }
    if (!product.hasMargin()) {
        ++withoutPriceOrCost;
        keepFirstNamed(withoutPriceOrCostNamed, product);
    } else if (*product.price <= *product.cost) {
        ++atOrBelowCost;
        keepWorstMargins(atOrBelowCostNamed, product);
    } else if (Margin::isBelow(*product.price, *product.cost, minimumPercent)) {
        ++belowMinimum;
        keepWorstMargins(belowMinimumNamed, product);
    }
}

QStringList MarginSummary::lines() const {
    const QString minimum = Margin::percentText(minimumPercent);
    QStringList lines;
    lines << u"Margins of the %1 added or changed (minimum margin %2):"_s.arg(productCount(touched),
                                                                              minimum);
    lines << u"  Cost1 rose for %1 and fell for %2"_s.arg(productCount(costRose)).arg(costFell);
    if (largestRise) {
        const Money rise = *largestRise->cost - *largestRise->oldCost;
        QString share;
        if (!largestRise->oldCost->isZero())
            share = u", +"_s + Margin::percentText(rise.scaledBy(
                                   Money::fromStored(100 * Money::Scale), *largestRise->oldCost));
        lines << u"  Largest rise: %1, cost %2 to %3 (+%4%5)"_s.arg(
            summaryName(*largestRise), Margin::amountText(*largestRise->oldCost),
            Margin::amountText(*largestRise->cost), Margin::amountText(rise), share);
    }
    lines << u"  %1 at or below cost, %2 below the minimum margin, %3 without a price or cost"_s
                 .arg(productCount(atOrBelowCost))
                 .arg(belowMinimum)
                 .arg(withoutPriceOrCost);
    appendGroup(lines, u"  At or below cost (%1), worst first:"_s.arg(atOrBelowCost), atOrBelowCost,
                atOrBelowCostNamed, &marginLine);
    appendGroup(
        lines,
        u"  Below the minimum margin of %1 (%2), worst first:"_s.arg(minimum).arg(belowMinimum),
        belowMinimum, belowMinimumNamed, &marginLine);
    appendGroup(lines, u"  Without a price or cost (%1):"_s.arg(withoutPriceOrCost),
                withoutPriceOrCost, withoutPriceOrCostNamed, &lackingLine);
    if (keepMargins) {
        lines << u"  Keep margins: %1 moved with their cost, %2 left as they were"_s
                     .arg(pricesMoved == 1 ? u"1 price"_s : u"%1 prices"_s.arg(pricesMoved))
                     .arg(pricesUnmovable);
        appendGroup(lines, u"  Prices moved (%1):"_s.arg(pricesMoved), pricesMoved,
                    pricesMovedNamed, &movedLine);
        appendGroup(lines, u"  Prices left as they were (%1):"_s.arg(pricesUnmovable),
                    pricesUnmovable, pricesUnmovableNamed, &unmovableLine);
    }
    return lines;
}

} // namespace tovin
