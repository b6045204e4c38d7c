#pragma once

#include "core/journal/JournalChunks.h"
#include "core/storage/ChangeCapture.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>

namespace tovin {

class CatalogueDatabase;

// The journal of one connection: the run in progress and the changes its open transaction
// made. An engine that tells of each row just before it writes it has the change packed into
// memory at once (see ChangeCapture); the changes are written as chunks just before the
// transaction commits, and forgotten when it is rolled back, so the journal always matches the
// batches the file kept.
namespace JournalBuffer {

struct CurrentRun final : ChangeCapture::Listener {
    qint64 run = 0;     // 0 while there is none: nothing is journalled
    qint64 last = 0;    // the last run that ended on the connection, for the screen that ran it
    QStringList tables; // the journalled tables, numbered in the chunks' entries
    QHash<QByteArray, int> number;       // their numbers by name
    QList<JournalChunks::Chunk> pending; // of the transaction in progress, oldest first
    bool unreadable = false;             // a changed row's values could not be read
    // On a server: the row versions the open transaction's writes left (see ServerJournal),
    // and whether the connection may keep them (-1 until asked).
    QSet<qint64> versions;
    int keepsVersions = -1;

    void rowChanging(const ChangeCapture::RowChange& row) override;
    void rolledBack() override;
    bool mayCommit() const override { return pending.isEmpty(); }
};

// Journals the changes of this table, under the number returned; -1 for a table journalled
// already, which keeps its number.
int addTable(CurrentRun& current, const QString& table);

// Writes the pending changes into the transaction in progress (on an engine that notes them in
// its session, read from there first); raises when some could not be journalled, which fails
// the commit.
void write(CatalogueDatabase& db, CurrentRun& current);

} // namespace JournalBuffer

} // namespace tovin
