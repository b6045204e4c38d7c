#include "core/journal/JournalBuffer.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/journal/JournalValues.h"
#include "core/journal/ServerJournal.h"
#include "core/storage/CatalogueFailure.h"

#include <cstring>
#include <sqlite3.h>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tovin::JournalBuffer {

namespace {

int tableNumber(CurrentRun& current, const char* table) {
    if (current.lastTable != table) {
        current.lastTable = table;
        current.lastNumber = current.number.value(current.lastTable, -1);
    }
    return current.lastNumber;
}

// The row's values before (old) or after the change, as the database holds them.
bool readValues(sqlite3* db, bool old, std::vector<sqlite3_value*>& values) {
    const int count = sqlite3_preupdate_count(db);
    values.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        if ((old ? sqlite3_preupdate_old(db, i, &values[size_t(i)])
                 : sqlite3_preupdate_new(db, i, &values[size_t(i)])) != SQLITE_OK)
            return false;
    return true;
}

// Called for every row the connection writes, so outside a run or a journalled table it does
// nothing, and inside one it packs straight from the database's values. A trigger per table
// did the same work at several times the cost.
void rowChanging(void* context, sqlite3* db, int operation, const char* database, const char* table,
                 sqlite3_int64 keyBefore, sqlite3_int64 keyAfter) {
    auto* current = static_cast<CurrentRun*>(context);
    if (current->run == 0 || std::strcmp(database, "main") != 0)
        return;
    const int number = tableNumber(*current, table);
    if (number < 0)
        return;
    const QList<bool>& real = current->realColumns.at(number);
    thread_local std::vector<sqlite3_value*> before;
    thread_local std::vector<sqlite3_value*> after;
    thread_local QByteArray oldValues;
    thread_local QByteArray newValues;
    // Emptied but kept: clear() would give their memory back and make every row allocate anew.
    oldValues.resize(0);
    newValues.resize(0);
    RunHistory::Change change;
    qint64 key = keyBefore;
    switch (operation) {
    case SQLITE_INSERT:
        change = RunHistory::Change::Added;
        key = keyAfter;
        if (!readValues(db, false, after))
            break;
        JournalValues::packSqlRow(newValues, after.data(), int(after.size()), real);
        break;
    case SQLITE_DELETE:
        change = RunHistory::Change::Deleted;
        if (!readValues(db, true, before))
            break;
        JournalValues::packSqlRow(oldValues, before.data(), int(before.size()), real);
        break;
    default:
        change = RunHistory::Change::Changed;
        if (!readValues(db, true, before) || !readValues(db, false, after))
            break;
        if (!JournalValues::packSqlChanges(oldValues, newValues, before.data(), after.data(),
                                           int(before.size()), real))
            return;
        break;
    }
    if (oldValues.isEmpty() && newValues.isEmpty()) {
        current->unreadable = true;
        return;
    }
    if (current->pending.isEmpty() || current->pending.last().run != current->run ||
        current->pending.last().full()) {
        current->pending.append(JournalChunks::Chunk());
        current->pending.last().run = current->run;
    }
    JournalChunks::append(current->pending.last(), number, current->tables.at(number), change, key,
                          oldValues, newValues);
}

} // namespace

void addTable(CurrentRun& current, const QString& table, const QList<bool>& realColumns) {
    const QByteArray name = table.toUtf8();
    if (current.number.contains(name))
        return;
    current.number.insert(name, int(current.tables.size()));
    current.tables.append(table);
    current.realColumns.append(realColumns);
    current.lastTable.clear();
    current.lastNumber = -1;
}

void install(sqlite3* handle, CurrentRun* current) {
    sqlite3_preupdate_hook(handle, &rowChanging, current);
}

void write(CatalogueDatabase& db, CurrentRun& current) {
    // A catalogue on a server gathers its changes in its session, not in this buffer.
    if (!db.handle())
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

void drop(CurrentRun& current) {
    current.pending.clear();
    current.unreadable = false;
}

} // namespace tovin::JournalBuffer
