#include "core/journal/RunRowCounts.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/JournalChunks.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

using Change = RunHistory::Change;

// The first and the last thing the run did to one row.
struct Seen {
    Change first = Change::Changed;
    Change last = Change::Changed;
};

} // namespace

RunRowCounts RunRowCounts::read(CatalogueDatabase& db, qint64 run) {
    RunRowCounts counts;
    if (!db.hasTable(CatalogueSchema::RunsTable))
        return counts;
    QHash<QString, QHash<qint64, Seen>> rows;
    JournalChunks::forEach(db, run, [&](JournalChunks::Entry& entry) {
        QHash<qint64, Seen>& table = rows[entry.table];
        const auto found = table.find(entry.key);
        if (found == table.end())
            table.insert(entry.key, Seen{entry.change, entry.change});
        else
            found->last = entry.change;
        return true;
    });
    for (auto table = rows.cbegin(); table != rows.cend(); ++table) {
        const bool products = table.key().compare(u"Products"_s, Qt::CaseInsensitive) == 0;
        for (const Seen& seen : table.value()) {
            qint64* count = nullptr;
            if (seen.first == Change::Added)
                count = seen.last == Change::Deleted ? nullptr : &counts.added;
            else if (seen.first == Change::Deleted || seen.last == Change::Deleted)
                count = &counts.deleted;
            else
                count = &counts.changed;
            if (!count)
                continue;
            ++*count;
            counts.productsOnly = counts.productsOnly && products;
        }
    }
    return counts;
}

} // namespace tovin
