#pragma once

#include <QtGlobal>

namespace tovin {

class CatalogueDatabase;

// How many rows a run added, changed and deleted, each row counted once: the journal keeps a
// line per statement, so a row the run wrote twice is two lines there but one product to the
// user. A row the run added and then changed counts as added; one it changed and then deleted
// counts as deleted; one it added and deleted again is not counted.
struct RunRowCounts {
    qint64 added = 0;
    qint64 changed = 0;
    qint64 deleted = 0;
    // Every row counted is a product, so the counts can say "products" rather than "rows".
    bool productsOnly = true;

    qint64 total() const { return added + changed + deleted; }

    // The counts of run `run` from its journal; all zero for a run the catalogue does not keep.
    static RunRowCounts read(CatalogueDatabase& db, qint64 run);
};

} // namespace tovin
