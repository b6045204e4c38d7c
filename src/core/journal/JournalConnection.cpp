#include "core/journal/JournalConnection.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueFailure.h"
#include "core/data/CatalogueSchema.h"
#include "core/journal/JournalBuffer.h"

#include <QHash>
#include <QMutex>
#include <QSet>
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

State& stateOf(CatalogueDatabase& db) {
    sqlite3* handle = db.handle();
    {
        QMutexLocker lock(&statesLock);
        if (State* state = states.value(handle))
            return *state;
    }
    auto* state = new State;
    JournalBuffer::registerFunction(handle, state);
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

// Each trigger is one call of journal_add with the row's values as the database holds them; an
// update hands over every column's old and new value and the function keeps those that differ.
QStringList triggerStatements(CatalogueDatabase& db, const QString& table, int number) {
    QStringList newValues, oldValues, pairs;
    for (const ColumnInfo& column : db.columns(table)) {
        const QString name = CatalogueDatabase::quoteName(column.name);
        newValues << u"new."_s + name;
        oldValues << u"old."_s + name;
        pairs << u"old."_s + name + u", new."_s + name;
    }
    const QString on = u" ON main."_s + CatalogueDatabase::quoteName(table) +
                       u" BEGIN SELECT journal_add("_s + QString::number(number) + u", "_s;
    const auto trigger = [&](const QString& what) {
        return u"CREATE TEMP TRIGGER "_s +
               CatalogueDatabase::quoteName(u"journal "_s + what + u' ' + table) + u" AFTER "_s +
               what.toUpper() + on;
    };
    return {
        trigger(u"insert"_s) + u"1, new.rowid, "_s + newValues.join(u", "_s) + u"); END"_s,
        trigger(u"update"_s) + u"2, old.rowid, "_s + pairs.join(u", "_s) + u"); END"_s,
        trigger(u"delete"_s) + u"3, old.rowid, "_s + oldValues.join(u", "_s) + u"); END"_s,
    };
}

void installTriggers(CatalogueDatabase& db, State& state) {
    QSet<QString> present;
    QSqlQuery& q = db.run(u"SELECT name FROM temp.sqlite_master WHERE type = 'trigger'"_s);
    while (q.next())
        present.insert(q.value(0).toString());
    q.finish();
    for (const QString& table : journalledTables(db)) {
        if (present.contains(u"journal insert "_s + table))
            continue;
        qsizetype number = state.tables.indexOf(table);
        if (number < 0) {
            number = state.tables.size();
            state.tables.append(table);
        }
        for (const QString& statement : triggerStatements(db, table, int(number)))
            if (const int rc = sqlite3_exec(db.handle(), statement.toUtf8().constData(), nullptr,
                                            nullptr, nullptr);
                rc != SQLITE_OK)
                DatabaseErrors::raise(rc, statement,
                                      QString::fromUtf8(sqlite3_errmsg(db.handle())));
    }
}

} // namespace

QStringList journalledTables(CatalogueDatabase& db) {
    QStringList tables = db.tableNames();
    if (db.hasTable(CatalogueSchema::ReceivedLinesTable))
        tables << db.tableName(CatalogueSchema::ReceivedLinesTable);
    return tables;
}

qint64 takeLastRun(CatalogueDatabase& db) {
    return std::exchange(stateOf(db).last, 0);
}

JournalBuffer::CurrentRun& currentRun(CatalogueDatabase& db) {
    State& state = stateOf(db);
    if (state.run == 0)
        installTriggers(db, state);
    return state;
}

} // namespace tovin::JournalConnection
