#include "core/journal/JournalBuffer.h"

#include "core/data/CatalogueFailure.h"
#include "core/journal/JournalValues.h"

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::JournalBuffer {

namespace {

// One call per row a run writes, so it packs straight into the chunk in the making and
// allocates nothing once its buffers have grown.
void addFunction(sqlite3_context* context, int count, sqlite3_value** values) {
    auto* current = static_cast<CurrentRun*>(sqlite3_user_data(context));
    if (current->run == 0 || count < 3)
        return;
    const int table = sqlite3_value_int(values[0]);
    const auto change = RunHistory::Change(sqlite3_value_int(values[1]));
    const qint64 key = sqlite3_value_int64(values[2]);
    thread_local QByteArray before;
    thread_local QByteArray after;
    before.clear();
    after.clear();
    switch (change) {
    case RunHistory::Change::Added:
        JournalValues::packSqlRow(after, values + 3, count - 3);
        break;
    case RunHistory::Change::Deleted:
        JournalValues::packSqlRow(before, values + 3, count - 3);
        break;
    case RunHistory::Change::Changed:
        if (!JournalValues::packSqlChanges(before, after, values + 3, count - 3))
            return;
        break;
    default:
        sqlite3_result_error(context, "journal_add: unknown change", -1);
        return;
    }
    if (current->pending.isEmpty() || current->pending.last().run != current->run ||
        current->pending.last().full()) {
        current->pending.append(JournalChunks::Chunk());
        current->pending.last().run = current->run;
    }
    JournalChunks::append(current->pending.last(), table, current->tables.value(table), change, key,
                          before, after);
}

} // namespace

void registerFunction(sqlite3* handle, CurrentRun* current) {
    if (sqlite3_create_function(handle, "journal_add", -1, SQLITE_UTF8, current, &addFunction,
                                nullptr, nullptr) != SQLITE_OK)
        DatabaseErrors::raise(sqlite3_errcode(handle), u"Preparing the journal"_s,
                              QString::fromUtf8(sqlite3_errmsg(handle)));
}

void write(CatalogueDatabase& db, CurrentRun& current) {
    // Taken first: a chunk that cannot be written fails the commit, and the rollback that
    // follows must not find it again.
    const QList<JournalChunks::Chunk> chunks = std::exchange(current.pending, {});
    for (const JournalChunks::Chunk& chunk : chunks)
        JournalChunks::write(db, chunk);
}

void drop(CurrentRun& current) {
    current.pending.clear();
}

} // namespace tovin::JournalBuffer
