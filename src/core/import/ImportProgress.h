#pragma once

#include "core/margins/MarginSummary.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tovin {

// The counters of an import task as the screen shows them. A task fills the ones it keeps (a
// text import: checked, added, edited; the folder import: added, edited; picture paths: edited;
// deleting: deleted).
struct ImportCounts {
    int checked = 0;
    int added = 0;
    int edited = 0;
    int deleted = 0;
};

// What a running task reports after each item, file or row.
struct ImportProgress {
    QString status;     // the status line, worded as the screen shows it
    qint64 value = 0;   // position of the progress bar
    qint64 maximum = 0; // end of the progress bar
    ImportCounts counts;
};

// Called after each item, file or row; returning false stops the task there. Everything
// written up to that point stays written.
using ProgressCallback = std::function<bool(const ImportProgress&)>;

// How a task ended.
struct ImportOutcome {
    ImportCounts counts;
    QString totals;              // the closing status line ("Total Checked: ...")
    bool cancelled = false;      // stopped by the progress callback
    int errors = 0;              // values or rows refused along the way (each reported)
    qint64 passedOver = 0;       // money values without a number, left as they were
    QStringList passedOverNamed; // the first of them (ImportMessages::priceLeft)
    // Stock numbers found on more than one item (only the last was imported): how many, and the
    // messages naming the first of them (see RepeatedStockNumbers).
    qint64 repeatedCount = 0;
    QStringList repeated;
    // For an import of products: the margins of the products it added or changed.
    MarginSummary margins;
};

} // namespace tovin
