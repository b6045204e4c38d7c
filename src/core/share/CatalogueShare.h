#pragma once

#include "core/base/RunTimeError.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

namespace tovin {

class CatalogueDatabase;

// Copies a whole catalogue from where it lives to another place (a file to a server database,
// a server database back to a file, or any two of them): every table with its row keys, the run
// journal and the other bookkeeping tables, so the products that orders, sales and pictures
// point at keep their numbers and history and undo still work. The source is only read.
namespace CatalogueShare {

// Raised when the target holds a catalogue already and replacing it was not asked for: the
// question the caller may put to the user.
class TargetHoldsCatalogue : public RunTimeError {
public:
    using RunTimeError::RunTimeError;
};

struct Result {
    QList<QPair<QString, qint64>> rowsPerTable; // in the order they were copied
    // The tables whose largest key ever given out the source did not let its user read: the
    // copy gives out keys after the largest it holds, which may be a key of a deleted row.
    QStringList keyMarksUnread;
    qint64 totalRows() const;
};

// Told as rows are written: the table being copied, the rows written so far and in all.
using Progress = std::function<void(const QString& table, qint64 rowsDone, qint64 rowsInAll)>;

// The tables that move with a catalogue, in the order they are copied: the catalogue's own,
// then the journal and the received order lines (the layout version and the marks of the keys
// given out are each engine's own, and the target keeps them its own way).
QStringList tablesToCopy(CatalogueDatabase& source);

// Copies every table of `source` into the open catalogue `target` in one transaction of the
// target (the one open on it already, when its tables were just made in it), then checks that each
// table's row count and the sum of each of its money columns came out the same on both sides. A
// target that already holds rows is refused unless `replaceRows`, which clears its tables first. A
// refused write, a lost connection or any difference raises a RunTimeError naming the table, and
// the target is left as it was.
Result copy(CatalogueDatabase& source, CatalogueDatabase& target, bool replaceRows,
            const Progress& progress = {});
// The same, naming the target in its messages as `targetName`.
Result copyAs(CatalogueDatabase& source, CatalogueDatabase& target, bool replaceRows,
              const Progress& progress, const QString& targetName);

// The same between two places (file paths or server addresses). A file target is written under
// a working name and takes its name only when the copy is whole and checked; it must not be
// the source, and an existing catalogue there is replaced only when `replace` is given. A
// server target without a catalogue gets one made; one that holds rows needs `replace`.
Result share(const QString& from, const QString& to, bool replace, const Progress& progress = {});

} // namespace CatalogueShare

} // namespace tovin
