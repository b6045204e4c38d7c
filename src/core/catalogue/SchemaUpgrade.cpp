#include "core/catalogue/SchemaUpgrade.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/storage/StorageConnection.h"

#include <QFileInfo>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace tovin::SchemaUpgrade {

namespace {

// Only a catalogue file is ever brought up to date (a server's layout is never changed in
// place), so the statements below are the file engine's own.
void exec(StorageConnection& connection, const QString& sql) {
    connection.prepare(sql)->execute();
}

// The rows of a one-column query as texts; a query the file refuses gives the rows it gave
// before (none when it could not start), so a look at the layout never stops the opening.
QStringList texts(StorageConnection& connection, const QString& sql,
                  const QString& parameter = QString()) {
    QStringList result;
    try {
        const std::unique_ptr<StorageStatement> statement = connection.prepare(sql);
        if (!parameter.isNull())
            statement->bindText(1, parameter);
        while (statement->next())
            result << statement->text(0);
    } catch (const RunTimeError&) {
    }
    return result;
}

QString quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', u"\"\""_s) + u'"';
}

bool hasTable(StorageConnection& connection, const QString& name) {
    return !texts(connection,
                  u"SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                  u"COLLATE NOCASE"_s,
                  name)
                .isEmpty();
}

// Rebuilds a table whose counter key lacks AUTOINCREMENT, keeping its rows, their keys, its
// column definitions and its indexes. A table whose definition does not read as the program
// wrote it is left as it is.
void makeCounterKeyFinal(StorageConnection& connection, const QString& table,
                         const QString& counter) {
    const QStringList definition = texts(
        connection, u"SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1"_s, table);
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
        connection,
        u"SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 AND sql IS NOT NULL"_s,
        table);
    exec(connection, sql);
    exec(connection, u"INSERT INTO "_s + quoted(rebuilt) + u" SELECT * FROM "_s + quoted(table));
    exec(connection, u"DROP TABLE "_s + quoted(table));
    exec(connection, u"ALTER TABLE "_s + quoted(rebuilt) + u" RENAME TO "_s + quoted(table));
    for (const QString& index : indexes)
        exec(connection, index);
}

void addRowKeys(StorageConnection& connection) {
    if (!hasTable(connection, CatalogueSchema::RowKeysTable))
        exec(connection,
             u"CREATE TABLE RowKeys (TableName TEXT PRIMARY KEY, LastKey INTEGER NOT NULL)"_s);
    for (const TableDefinition& t : CatalogueSchema::tables()) {
        if (!hasTable(connection, t.name))
            continue;
        const int counter = CatalogueSchema::counterColumn(t);
        if (counter >= 0) {
            makeCounterKeyFinal(connection, t.name, t.columns.at(counter).name);
        } else {
            // Row numbers already freed are unknown; the largest one in use is the floor.
            exec(connection, u"INSERT OR REPLACE INTO RowKeys (TableName, LastKey) SELECT '"_s +
                                 QString(t.name).replace(u'\'', u"''"_s) +
                                 u"', coalesce(max(rowid), 0) FROM "_s + quoted(t.name));
            for (const QString& statement : CatalogueSchema::rowKeyStatements(t.name))
                exec(connection, statement);
        }
    }
}

// Lines dated before the list of received lines existed are taken as received: counting their
// stock a second time would be worse than a line the user has to receive by hand.
void addReceivedLines(StorageConnection& connection) {
    if (!hasTable(connection, u"Orders"_s))
        return;
    if (!hasTable(connection, CatalogueSchema::ReceivedLinesTable))
        for (const QString& statement : CatalogueSchema::receivedLinesStatements())
            exec(connection, statement);
    exec(connection, CatalogueSchema::markDatedLinesReceived(connection.dialect()));
}

void addJournal(StorageConnection& connection) {
    if (!hasTable(connection, CatalogueSchema::RunsTable))
        for (const QString& statement : CatalogueSchema::journalStatements())
            exec(connection, statement);
}

// Layout 4's journal, one row per changed row, is dropped with its runs rather than converted:
// packing chunks is the journal's business, above this layer. A run listed without its changes
// would only seem to be undone.
void chunkJournal(StorageConnection& connection) {
    if (!hasTable(connection, CatalogueSchema::RunsTable))
        return;
    exec(connection, u"DROP TABLE IF EXISTS RunRows"_s);
    exec(connection, CatalogueSchema::runRowsStatement());
    exec(connection, u"DELETE FROM Runs"_s);
}

void upgradeFrom(StorageConnection& connection, int version) {
    if (version < 2)
        addRowKeys(connection);
    if (version < 3)
        addReceivedLines(connection);
    if (version < 4)
        addJournal(connection);
    else if (version < 5)
        chunkJournal(connection);
    if (!hasTable(connection, u"SchemaVersion"_s))
        exec(connection, u"CREATE TABLE SchemaVersion (Version INTEGER NOT NULL)"_s);
    exec(connection, u"DELETE FROM SchemaVersion"_s);
    exec(connection,
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

int versionOf(StorageConnection& connection) {
    if (!hasTable(connection, u"SchemaVersion"_s))
        return hasTable(connection, u"Products"_s) ? 1 : 0;
    const QStringList versions = texts(connection, u"SELECT max(Version) FROM SchemaVersion"_s);
    return versions.isEmpty() || versions.first().isEmpty() ? 1 : versions.first().toInt();
}

QString newerLayout(const QString& name, int version) {
    return u"The catalogue %1 was written by a newer version of this program (layout %2; this "
           u"version reads layouts up to %3). Open it with the newer version."_s.arg(name)
               .arg(version)
               .arg(CatalogueSchema::Version);
}

void checkAndUpgrade(StorageConnection& connection, const QString& path) {
    const int version = versionOf(connection);
    if (version > CatalogueSchema::Version)
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           newerLayout(QFileInfo(path).fileName(), version));
    if (version == 0 || version == CatalogueSchema::Version)
        return;
    if (connection.isReadOnly())
        return;
    if (beforeUpgrade())
        beforeUpgrade()(path);
    try {
        // Begun as a statement of its own rather than as a write transaction: the upgrade is
        // part of opening, which waits for another writer at least as long as a read does.
        exec(connection, u"BEGIN IMMEDIATE"_s);
        upgradeFrom(connection, version);
        connection.commit();
    } catch (const RunTimeError&) {
        connection.rollback();
        // A file that cannot be changed now keeps its old layout; it is tried again on the
        // next opening.
    }
}

} // namespace tovin::SchemaUpgrade
