#include "core/journal/JournalConnection.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/JournalBuffer.h"
#include "core/journal/ServerJournal.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/StorageStatement.h"

#include <QHash>
#include <QMutex>
#include <sqlite3.h>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin::JournalConnection {

namespace {

// The run number lives as long as the connection: the database frees it when it drops the
// function on closing.
using State = JournalBuffer::CurrentRun;

QMutex statesLock;
QHash<sqlite3*, State*> states;

void forget(void* state) {
    QMutexLocker lock(&statesLock);
    for (auto it = states.begin(); it != states.end(); ++it)
        if (it.value() == state) {
            states.erase(it);
            break;
        }
    delete static_cast<State*>(state);
}

void closing(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_null(context);
}

void rolledBack(void* state) {
    JournalBuffer::drop(*static_cast<State*>(state));
}

// Changes are written by the transaction's own commit (see CatalogueDatabase::setBeforeCommit).
// A commit that would leave some unwritten, a write outside a transaction during a run, is
// refused: the journal would no longer match the file.
int committing(void* state) {
    return static_cast<State*>(state)->pending.isEmpty() ? 0 : 1;
}

// A server connection keeps its state with itself; its changes are gathered by triggers.
State& serverStateOf(CatalogueDatabase& db) {
    std::shared_ptr<void>& kept = db.connection().kept();
    if (!kept) {
        auto state = std::make_shared<State>();
        db.setBeforeCommit([&db, current = state.get()] { JournalBuffer::write(db, *current); });
        kept = state;
    }
    return *static_cast<State*>(kept.get());
}

State& stateOf(CatalogueDatabase& db) {
    sqlite3* handle = db.handle();
    if (!handle)
        return serverStateOf(db);
    {
        QMutexLocker lock(&statesLock);
        if (State* state = states.value(handle))
            return *state;
    }
    auto* state = new State;
    JournalBuffer::install(handle, state);
    // A function with a destructor tells when the connection closes, so a later connection at
    // the same address does not find this state.
    if (sqlite3_create_function_v2(handle, "journal_closing", 0, SQLITE_UTF8, state, &closing,
                                   nullptr, nullptr, &forget) != SQLITE_OK)
        throw RunTimeError(ErrorNumber::DatabaseRefused, u"Preparing the journal"_s);
    sqlite3_rollback_hook(handle, &rolledBack, state);
    sqlite3_commit_hook(handle, &committing, state);
    db.setBeforeCommit([&db, state] { JournalBuffer::write(db, *state); });
    QMutexLocker lock(&statesLock);
    states.insert(handle, state);
    return *state;
}

// The columns of real affinity by the database's rule on the declared type: one naming REAL,
// FLOA or DOUB that does not name INT, CHAR, CLOB, TEXT or BLOB.
QList<bool> realColumns(CatalogueDatabase& db, const QString& table) {
    QList<bool> real;
    const std::unique_ptr<StorageStatement> q =
        db.prepare(u"SELECT upper(type) FROM pragma_table_info(?) ORDER BY cid"_s);
    q->bind(1, QVariant(table));
    while (q->next()) {
        const QString type = q->stored(0).toString();
        const auto has = [&](const char* word) { return type.contains(QLatin1StringView(word)); };
        real << (!has("INT") && !has("CHAR") && !has("CLOB") && !has("TEXT") && !has("BLOB") &&
                 (has("REAL") || has("FLOA") || has("DOUB")));
    }
    return real;
}

} // namespace

QStringList journalledTables(CatalogueDatabase& db) {
    QStringList tables = db.tableNames();
    if (db.hasTable(CatalogueSchema::ReceivedLinesTable))
        tables << db.tableName(CatalogueSchema::ReceivedLinesTable);
    return tables;
}

void setRun(CatalogueDatabase& db, qint64 run) {
    State& state = currentRun(db);
    if (run == 0 && state.run != 0)
        state.last = state.run;
    state.run = run;
    if (!db.handle())
        ServerJournal::setRun(db, run);
}

qint64 takeLastRun(CatalogueDatabase& db) {
    return std::exchange(stateOf(db).last, 0);
}

JournalBuffer::CurrentRun& currentRun(CatalogueDatabase& db) {
    State& state = stateOf(db);
    if (state.run == 0)
        for (const QString& table : journalledTables(db))
            JournalBuffer::addTable(state, table,
                                    db.handle() ? realColumns(db, table) : QList<bool>());
    return state;
}

} // namespace tovin::JournalConnection
