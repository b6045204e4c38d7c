#pragma once

#include "core/text/Money.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tovin {

// One product an import added or changed, as the margin summary sees it after the import.
struct MarginProduct {
    QString stockNumber;           // the key the import finds the product by
    QString name;                  // ProdName
    std::optional<Money> oldCost;  // Cost1 before the import; none for an added product
    std::optional<Money> cost;     // Cost1 after it; none when empty
    std::optional<Money> price;    // the selling price after it; none when neither is set
    std::optional<Money> oldPrice; // the selling price before a keep-margins move
    // What keep-margins did: nothing asked (Cost1 unchanged, the file set the price, or the
    // option off), the price moved with the cost, or it could not move (no old cost, an old
    // cost of zero, or no selling price).
    enum class Kept { NotAsked, Moved, Unmovable } kept = Kept::NotAsked;

    bool hasMargin() const { return cost && price; }
};

// The margins after one import, over the products the import added or changed: the ones it
// only checked are what they were before, and a shop reads this after every monthly price list
// to see what that list did to its margins. Each list of named products keeps its first
// `Named`: the worst margins first for the two margin lists, import order for the others.
// "Below the minimum" counts products above their cost but under the minimum margin; those
// at or below their cost are counted only there.
struct MarginSummary {
    static constexpr int Named = 20;

    Money minimumPercent; // the minimum margin the run used
    bool keepMargins = false;

    qint64 touched = 0;
    qint64 costRose = 0;
    qint64 costFell = 0;
    std::optional<MarginProduct> largestRise; // by amount; the first of equal rises
    qint64 atOrBelowCost = 0;
    QList<MarginProduct> atOrBelowCostNamed;
    qint64 belowMinimum = 0;
    QList<MarginProduct> belowMinimumNamed;
    qint64 withoutPriceOrCost = 0;
    QList<MarginProduct> withoutPriceOrCostNamed;
    qint64 pricesMoved = 0;
    QList<MarginProduct> pricesMovedNamed;
    qint64 pricesUnmovable = 0;
    QList<MarginProduct> pricesUnmovableNamed;

    // Counts one product the import added or changed (written, not refused).
    void add(const MarginProduct& product);

    // The summary as the import command prints it after the totals and the import screen
    // shows it: a heading line, then indented lines, products named with their stock number.
    QStringList lines() const;
};

} // namespace tovin
