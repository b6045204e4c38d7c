#pragma once

#include "core/journal/JournalBuffer.h"

#include <QStringList>
#include <functional>

namespace tovin {

class CatalogueDatabase;
class StorageStatement;

// The run journal of a catalogue on a server, which has no hook that tells of each row before
// it is written: while a run is in progress in the connection's session, triggers on every
// journalled table note each change in a table of that session (the keys of added rows, the
// values a changed or deleted row had before; see PostgresChangeCapture), and the transaction's
// commit reads the values after from the rows themselves and packs it all into chunks as the
// file's journal does. What the triggers wrote goes with the transaction, so a rollback forgets
// it too.
namespace ServerJournal {

// Moves the changes the triggers gathered in the open transaction into `current`'s pending
// chunks; raises when a row's values cannot be read back exactly.
void gather(CatalogueDatabase& db, JournalBuffer::CurrentRun& current);

// A statement whose changes the run knows exactly (it read the rows it writes, locked, and
// wrote the values itself) is journalled by the run through note(): the triggers would note
// each row again and the commit read it back, at more than the statement's own cost. `write`
// runs with the triggers silent; outside a run it just runs.
void withoutTriggers(CatalogueDatabase& db, const std::function<void()>& write);

// The values of `count` columns of the row `read` stands on, from `first` on, packed as the
// journal packs a row; `read` is a statement of a server catalogue.
QByteArray packedRow(const StorageStatement& read, int first, int count);

// Notes one change of the run in progress, in the order of the run's other changes; the
// values are packed as the journal keeps them (a whole row, or the changed columns).
void note(CatalogueDatabase& db, const QString& table, RunHistory::Change change, qint64 key,
          const QByteArray& before, const QByteArray& after);

// The versions of the rows the run left unchanged since, as an array for CAST(? AS xid[]):
// a row still in one of them holds what the run wrote. Empty when they cannot be believed (the
// run kept none, the catalogue was moved to another server, or so many transactions came
// since that their numbers may have come round again) or may not be read.
QString versionsOf(CatalogueDatabase& db, qint64 run);

} // namespace ServerJournal

} // namespace tovin
