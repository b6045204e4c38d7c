#pragma once

#include <QString>
#include <QStringList>

namespace tovin {

// What an import did, item by item, for the user to read before trusting a mapping (the trial
// run) or after a run: the change lines of edited products, the stock numbers of the products
// added, and the money values left as they were because they held no number. Each list keeps
// its first `Kept` entries; the totals count them all.
struct ImportReport {
    static constexpr int Kept = 200;

    QStringList changes;    // "A1:   Changed: Cost1 From '3.89' To '4.25'"
    QStringList added;      // stock numbers
    QStringList passedOver; // "line 4: A1 Retail 'call'" (see ImportMessages::priceLeft)
    qint64 changeCount = 0;
    qint64 addedCount = 0;
    qint64 passedOverCount = 0;

    void addChange(const QString& stockNumber, const QString& line) {
        if (changes.size() < Kept)
            changes.append(stockNumber + QStringLiteral(": ") + line);
        ++changeCount;
    }
    void addAdded(const QString& stockNumber) {
        if (added.size() < Kept)
            added.append(stockNumber);
        ++addedCount;
    }
    void addPassedOver(const QString& named) {
        if (passedOver.size() < Kept)
            passedOver.append(named);
        ++passedOverCount;
    }
};

} // namespace tovin
