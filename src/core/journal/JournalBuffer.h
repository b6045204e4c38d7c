#pragma once

#include "core/journal/JournalChunks.h"

#include <QList>
#include <QStringList>

struct sqlite3;

namespace tovin {

class CatalogueDatabase;

// The journal of one connection: the run in progress and the changes its open transaction
// made. The triggers hand each change to a database function that packs it into memory; the
// changes are written as chunks just before the transaction commits, and forgotten when it is
// rolled back, so the journal always matches the batches the file kept.
namespace JournalBuffer {

struct CurrentRun {
    qint64 run = 0;     // 0 while there is none: nothing is journalled
    qint64 last = 0;    // the last run that ended on the connection, for the screen that ran it
    QStringList tables; // the journalled tables, numbered as the triggers name them
    QList<JournalChunks::Chunk> pending; // of the transaction in progress, oldest first
};

// Registers journal_add(table, change, key, values...), which the triggers call: for a row
// added or deleted its values, for a row changed pairs of old and new values. Outside a run it
// does nothing. `current` must outlive the connection's use of the function.
void registerFunction(sqlite3* handle, CurrentRun* current);

// Writes the pending changes into the transaction in progress.
void write(CatalogueDatabase& db, CurrentRun& current);
// Forgets them, with the transaction that made them.
void drop(CurrentRun& current);

} // namespace JournalBuffer

} // namespace tovin
