#pragma once

#include "core/journal/JournalChunks.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

struct sqlite3;

namespace tovin {

class CatalogueDatabase;

// The journal of one connection: the run in progress and the changes its open transaction
// made. The database tells of each row just before it writes it, and the change is packed into
// memory; the changes are written as chunks just before the transaction commits, and forgotten
// when it is rolled back, so the journal always matches the batches the file kept.
namespace JournalBuffer {

struct CurrentRun {
    qint64 run = 0;     // 0 while there is none: nothing is journalled
    qint64 last = 0;    // the last run that ended on the connection, for the screen that ran it
    QStringList tables; // the journalled tables, numbered in the chunks' entries
    QList<QList<bool>> realColumns; // theirs of real affinity, by position
    QHash<QByteArray, int> number;  // their numbers by name
    QByteArray lastTable;           // the table of the last change, and its number (-1: none)
    int lastNumber = -1;
    QList<JournalChunks::Chunk> pending; // of the transaction in progress, oldest first
    bool unreadable = false;             // a changed row's values could not be read
};

// Journals the changes of this table of the main database, whose columns of real affinity are
// marked true by position (a table journalled already is left as it is).
void addTable(CurrentRun& current, const QString& table, const QList<bool>& realColumns);

// Has the connection tell `current` of every row it is about to write. `current` must outlive
// the connection.
void install(sqlite3* handle, CurrentRun* current);

// Writes the pending changes into the transaction in progress; raises when some could not be
// journalled, which fails the commit.
void write(CatalogueDatabase& db, CurrentRun& current);
// Forgets them, with the transaction that made them.
void drop(CurrentRun& current);

} // namespace JournalBuffer

} // namespace tovin
