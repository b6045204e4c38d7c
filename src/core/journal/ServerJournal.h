#pragma once

#include "core/journal/JournalBuffer.h"

#include <QStringList>

namespace tovin {

class CatalogueDatabase;

// The run journal of a catalogue on a server, which has no hook that tells of each row before
// it is written: a trigger on every journalled table copies the row's values before and after
// into a table of the connection's own session while a run is in progress there, and the
// transaction's commit packs them into chunks as the file's journal does. What the trigger
// wrote goes with the transaction, so a rollback forgets it too.
namespace ServerJournal {

// The trigger function and one trigger per table, for the server's catalogue layout.
QStringList schemaStatements(const QStringList& tables);

// Tells the server's session whether a run is in progress (0: none), making the session's table
// of pending changes first.
void setRun(CatalogueDatabase& db, qint64 run);

// Moves the changes the triggers gathered in the open transaction into `current`'s pending
// chunks; raises when a row's values cannot be read back exactly.
void gather(CatalogueDatabase& db, JournalBuffer::CurrentRun& current);

} // namespace ServerJournal

} // namespace tovin
