#pragma once

#include "core/journal/JournalBuffer.h"

#include <QString>
#include <QStringList>

namespace tovin {

class CatalogueDatabase;

// The journal's part of one connection: the listener of the connection's change capture, which
// gathers the changes of a run and writes or drops them with their transaction, and the number
// of the run in progress (0: none, nothing is journalled).
namespace JournalConnection {

// The number of the run in progress on this connection, after making sure the capture is
// listened to and every shop table is watched. Only JournalRun sets it, through setRun.
JournalBuffer::CurrentRun& currentRun(CatalogueDatabase& db);

// Begins journalling the run with that number on this connection, or ends it (0), keeping the
// run that ended for takeLastRun.
void setRun(CatalogueDatabase& db, qint64 run);

// The run that ended last on this connection since the last call (0 for none), so a screen can
// offer to take back the run it just made.
qint64 takeLastRun(CatalogueDatabase& db);

// The tables whose rows are journalled: every shop table and the list of received lines.
QStringList journalledTables(CatalogueDatabase& db);

} // namespace JournalConnection

} // namespace tovin
