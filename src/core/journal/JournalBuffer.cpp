#include "core/journal/JournalBuffer.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/journal/JournalValues.h"
#include "core/journal/ServerJournal.h"
#include "core/storage/CatalogueFailure.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin::JournalBuffer {

// Called for every row of a journalled table the connection writes during a run: the change is
// packed straight from the engine's values.
void CurrentRun::rowChanging(const ChangeCapture::RowChange& row) {
    if (run == 0)
        return;
    if (!row.readable) {
        unreadable = true;
        return;
    }
    thread_local QByteArray oldValues;
    thread_local QByteArray newValues;
    // Emptied but kept: clear() would give their memory back and make every row allocate anew.
    oldValues.resize(0);
    newValues.resize(0);
    RunHistory::Change change;
    switch (row.operation) {
    case ChangeCapture::Operation::Insert:
        change = RunHistory::Change::Added;
        JournalValues::packCapturedRow(newValues, row.after);
        break;
    case ChangeCapture::Operation::Delete:
        change = RunHistory::Change::Deleted;
        JournalValues::packCapturedRow(oldValues, row.before);
        break;
    default:
        change = RunHistory::Change::Changed;
        if (!JournalValues::packCapturedChanges(oldValues, newValues, row.before, row.after))
            return;
        break;
    }
    if (oldValues.isEmpty() && newValues.isEmpty()) {
        unreadable = true;
        return;
    }
    if (pending.isEmpty() || pending.last().run != run || pending.last().full()) {
        pending.append(JournalChunks::Chunk());
        pending.last().run = run;
    }
    JournalChunks::append(pending.last(), row.table, tables.at(row.table), change, row.key,
                          oldValues, newValues);
}

void CurrentRun::rolledBack() {
    pending.clear();
    versions.clear();
    unreadable = false;
}

int addTable(CurrentRun& current, const QString& table) {
    const QByteArray name = table.toUtf8();
    if (current.number.contains(name))
        return -1;
    const int number = int(current.tables.size());
    current.number.insert(name, number);
    current.tables.append(table);
    return number;
}

void write(CatalogueDatabase& db, CurrentRun& current) {
    // An engine that notes the changes in its session has them read from there.
    if (!db.connection().changeCapture().tellsEachRow())
        ServerJournal::gather(db, current);
    if (std::exchange(current.unreadable, false))
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"A row the run wrote could not be read for its journal"_s);
    // Taken first: a chunk that cannot be written fails the commit, and the rollback that
    // follows must not find it again.
    const QList<JournalChunks::Chunk> chunks = std::exchange(current.pending, {});
    for (const JournalChunks::Chunk& chunk : chunks)
        JournalChunks::write(db, chunk);
}

} // namespace tovin::JournalBuffer
