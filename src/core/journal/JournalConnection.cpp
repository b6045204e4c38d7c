#include "core/journal/JournalConnection.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueFailure.h"
#include "core/data/CatalogueSchema.h"
#include "core/journal/JournalValues.h"

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
using State = JournalValues::CurrentRun;

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

State& stateOf(sqlite3* handle) {
    {
        QMutexLocker lock(&statesLock);
        if (State* state = states.value(handle))
            return *state;
    }
    auto* state = new State;
    JournalValues::registerFunctions(handle, state);
    // A function with a destructor tells when the connection closes, so a later connection at
    // the same address does not find this state.
    if (sqlite3_create_function_v2(handle, "journal_closing", 0, SQLITE_UTF8, state, &closing,
                                   nullptr, nullptr, &forget) != SQLITE_OK)
        throw RunTimeError(ErrorNumber::DatabaseRefused, u"Preparing the journal"_s);
    QMutexLocker lock(&statesLock);
    states.insert(handle, state);
    return *state;
}

QString literal(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', u"''"_s) + u'\'';
}

QStringList triggerStatements(CatalogueDatabase& db, const QString& table) {
    QStringList newValues, oldValues, pairs;
    for (const ColumnInfo& column : db.columns(table)) {
        const QString name = CatalogueDatabase::quoteName(column.name);
        newValues << u"new."_s + name;
        oldValues << u"old."_s + name;
        pairs << u"old."_s + name + u", new."_s + name;
    }
    const QString on = u" ON main."_s + CatalogueDatabase::quoteName(table) +
                       u" WHEN journal_run() IS NOT NULL BEGIN "_s;
    const QString into = u"INSERT INTO RunRows (Seq, Run, TableName, RowKey, Change, OldValues, "
                         u"NewValues) "_s;
    const QString name = literal(table);
    return {
        u"CREATE TEMP TRIGGER "_s + CatalogueDatabase::quoteName(u"journal insert "_s + table) +
            u" AFTER INSERT"_s + on + into + u"VALUES (journal_row(), journal_run(), "_s + name +
            u", new.rowid, 1, NULL, journal_pack(0, "_s + newValues.join(u", "_s) + u")); END"_s,
        u"CREATE TEMP TRIGGER "_s + CatalogueDatabase::quoteName(u"journal update "_s + table) +
            u" AFTER UPDATE"_s + on + into + u"SELECT journal_row(), journal_run(), "_s + name +
            u", old.rowid, 2, o, n FROM (SELECT journal_pack(1, "_s + pairs.join(u", "_s) +
            u") AS o, journal_pack(2, "_s + pairs.join(u", "_s) +
            u") AS n) WHERE o IS NOT NULL; END"_s,
        u"CREATE TEMP TRIGGER "_s + CatalogueDatabase::quoteName(u"journal delete "_s + table) +
            u" AFTER DELETE"_s + on + into + u"VALUES (journal_row(), journal_run(), "_s + name +
            u", old.rowid, 3, journal_pack(0, "_s + oldValues.join(u", "_s) + u"), NULL); END"_s,
    };
}

void installTriggers(CatalogueDatabase& db) {
    QSet<QString> present;
    StorageStatement& q = db.run(u"SELECT name FROM temp.sqlite_master WHERE type = 'trigger'"_s);
    while (q.next())
        present.insert(q.value(0).toString());
    q.finish();
    for (const QString& table : journalledTables(db)) {
        if (present.contains(u"journal insert "_s + table))
            continue;
        for (const QString& statement : triggerStatements(db, table))
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
    return std::exchange(stateOf(db.handle()).last, 0);
}

JournalValues::CurrentRun& currentRun(CatalogueDatabase& db) {
    State& state = stateOf(db.handle());
    if (state.run == 0)
        installTriggers(db);
    return state;
}

} // namespace tovin::JournalConnection
