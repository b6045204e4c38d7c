#include "core/catalogue/SchemaUpgrade.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/SqliteDialect.h"

#include <QFileInfo>
#include <QStringList>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::SchemaUpgrade {

namespace {

void exec(sqlite3* handle, const QString& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(handle, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(handle));
        sqlite3_free(error);
        DatabaseErrors::raise(rc, sql, message);
    }
}

// The rows of a one-column query as texts.
QStringList texts(sqlite3* handle, const QString& sql, const QString& parameter = QString()) {
    sqlite3_stmt* statement = nullptr;
    QStringList result;
    if (sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        return result;
    if (!parameter.isNull()) {
        const QByteArray bytes = parameter.toUtf8();
        sqlite3_bind_text(statement, 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    while (sqlite3_step(statement) == SQLITE_ROW)
        result << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return result;
}

QString quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', u"\"\""_s) + u'"';
}

bool hasTable(sqlite3* handle, const QString& name) {
    return !texts(handle,
                  u"SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                  u"COLLATE NOCASE"_s,
                  name)
                .isEmpty();
}

// Rebuilds a table whose counter key lacks AUTOINCREMENT, keeping its rows, their keys, its
// column definitions and its indexes. A table whose definition does not read as the program
// wrote it is left as it is.
void makeCounterKeyFinal(sqlite3* handle, const QString& table, const QString& counter) {
    const QStringList definition =
        texts(handle, u"SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1"_s, table);
    if (definition.isEmpty() ||
        definition.first().contains(u"AUTOINCREMENT"_s, Qt::CaseInsensitive))
        return;
    QString sql = definition.first();
    const QString key = quoted(counter) + u" INTEGER PRIMARY KEY"_s;
    const qsizetype at = sql.indexOf(key, 0, Qt::CaseInsensitive);
    const qsizetype head = sql.indexOf(quoted(table));
    if (at < 0 || head < 0)
        return;
    sql.insert(at + key.size(), u" AUTOINCREMENT"_s);
    const QString rebuilt = table + u"_rebuilt"_s;
    sql.replace(head, quoted(table).size(), quoted(rebuilt));
    const QStringList indexes = texts(
        handle,
        u"SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 AND sql IS NOT NULL"_s,
        table);
    exec(handle, sql);
    exec(handle, u"INSERT INTO "_s + quoted(rebuilt) + u" SELECT * FROM "_s + quoted(table));
    exec(handle, u"DROP TABLE "_s + quoted(table));
    exec(handle, u"ALTER TABLE "_s + quoted(rebuilt) + u" RENAME TO "_s + quoted(table));
    for (const QString& index : indexes)
        exec(handle, index);
}

void addRowKeys(sqlite3* handle) {
    if (!hasTable(handle, CatalogueSchema::RowKeysTable))
        exec(handle,
             u"CREATE TABLE RowKeys (TableName TEXT PRIMARY KEY, LastKey INTEGER NOT NULL)"_s);
    for (const TableDefinition& t : CatalogueSchema::tables()) {
        if (!hasTable(handle, t.name))
            continue;
        const int counter = CatalogueSchema::counterColumn(t);
        if (counter >= 0) {
            makeCounterKeyFinal(handle, t.name, t.columns.at(counter).name);
        } else {
            // Row numbers already freed are unknown; the largest one in use is the floor.
            exec(handle, u"INSERT OR REPLACE INTO RowKeys (TableName, LastKey) SELECT '"_s +
                             QString(t.name).replace(u'\'', u"''"_s) +
                             u"', coalesce(max(rowid), 0) FROM "_s + quoted(t.name));
            for (const QString& statement : CatalogueSchema::rowKeyStatements(t.name))
                exec(handle, statement);
        }
    }
}

// Lines dated before the list of received lines existed are taken as received: counting their
// stock a second time would be worse than a line the user has to receive by hand.
void addReceivedLines(sqlite3* handle) {
    if (!hasTable(handle, u"Orders"_s))
        return;
    if (!hasTable(handle, CatalogueSchema::ReceivedLinesTable))
        for (const QString& statement : CatalogueSchema::receivedLinesStatements())
            exec(handle, statement);
    exec(handle, CatalogueSchema::markDatedLinesReceived(SqliteDialect()));
}

void addJournal(sqlite3* handle) {
    if (!hasTable(handle, CatalogueSchema::RunsTable))
        for (const QString& statement : CatalogueSchema::journalStatements())
            exec(handle, statement);
}

// Layout 4's journal, one row per changed row, is dropped with its runs rather than converted:
// packing chunks is the journal's business, above this layer. A run listed without its changes
// would only seem to be undone.
void chunkJournal(sqlite3* handle) {
    if (!hasTable(handle, CatalogueSchema::RunsTable))
        return;
    exec(handle, u"DROP TABLE IF EXISTS RunRows"_s);
    exec(handle, CatalogueSchema::runRowsStatement());
    exec(handle, u"DELETE FROM Runs"_s);
}

void upgradeFrom(sqlite3* handle, int version) {
    if (version < 2)
        addRowKeys(handle);
    if (version < 3)
        addReceivedLines(handle);
    if (version < 4)
        addJournal(handle);
    else if (version < 5)
        chunkJournal(handle);
    if (!hasTable(handle, u"SchemaVersion"_s))
        exec(handle, u"CREATE TABLE SchemaVersion (Version INTEGER NOT NULL)"_s);
    exec(handle, u"DELETE FROM SchemaVersion"_s);
    exec(handle,
         u"INSERT INTO SchemaVersion (Version) VALUES (%1)"_s.arg(CatalogueSchema::Version));
}

std::function<void(const QString&)>& beforeUpgrade() {
    static std::function<void(const QString&)> hook;
    return hook;
}

} // namespace

void setBeforeUpgrade(std::function<void(const QString& path)> hook) {
    beforeUpgrade() = std::move(hook);
}

int versionOf(sqlite3* handle) {
    if (!hasTable(handle, u"SchemaVersion"_s))
        return hasTable(handle, u"Products"_s) ? 1 : 0;
    const QStringList versions = texts(handle, u"SELECT max(Version) FROM SchemaVersion"_s);
    return versions.isEmpty() || versions.first().isEmpty() ? 1 : versions.first().toInt();
}

QString newerLayout(const QString& name, int version) {
    return u"The catalogue %1 was written by a newer version of this program (layout %2; this "
           u"version reads layouts up to %3). Open it with the newer version."_s.arg(name)
               .arg(version)
               .arg(CatalogueSchema::Version);
}

void checkAndUpgrade(sqlite3* handle, const QString& path) {
    const int version = versionOf(handle);
    if (version > CatalogueSchema::Version)
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           newerLayout(QFileInfo(path).fileName(), version));
    if (version == 0 || version == CatalogueSchema::Version)
        return;
    if (sqlite3_db_readonly(handle, "main") == 1)
        return;
    if (beforeUpgrade())
        beforeUpgrade()(path);
    try {
        exec(handle, u"BEGIN IMMEDIATE"_s);
        upgradeFrom(handle, version);
        exec(handle, u"COMMIT"_s);
    } catch (const RunTimeError&) {
        if (!sqlite3_get_autocommit(handle))
            sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        // A file that cannot be changed now keeps its old layout; it is tried again on the
        // next opening.
    }
}

} // namespace tovin::SchemaUpgrade
