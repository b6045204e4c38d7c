#include "core/catalogue/CatalogueDatabase.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/SchemaUpgrade.h"
#include "core/files/OpenCatalogues.h"
#include "core/files/OutputFile.h"
#include "core/settings/SettingsStore.h"
#include "core/storage/CatalogueChanges.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/CatalogueLocation.h"
#include "core/storage/PostgresChangeCapture.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/SqliteConnection.h"
#include "core/storage/WriterTurn.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <unistd.h>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// run() takes the values its callers have always given it: a null text, blob or date among
// them stands for a null, not for an empty text.
bool boundAsNull(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().isNull();
    case QMetaType::QByteArray:
        return value.toByteArray().isNull();
    case QMetaType::QDate:
        return value.toDate().isNull();
    case QMetaType::QDateTime:
        return value.toDateTime().isNull();
    default:
        return !value.isValid() || value.isNull();
    }
}

// Opens the connection in that mode and reads from it once; null and the reason on failure.
std::unique_ptr<SqliteConnection> openAndProbe(const QString& path, SqliteConnection::OpenMode mode,
                                               QString& failure) {
    QString reason;
    std::unique_ptr<SqliteConnection> connection = SqliteConnection::open(path, mode, reason);
    if (!connection) {
        failure = u"Could not open the database file "_s + path + u": "_s + reason;
        return nullptr;
    }
    // A file that is not a catalogue fails on its first read.
    try {
        connection->prepare(u"SELECT count(*) FROM sqlite_master"_s)->next();
        connection->prepare(u"PRAGMA foreign_keys = OFF"_s)->next();
    } catch (const RunTimeError&) {
        // A lock that outlasted the wait says nothing about what the file holds.
        if (connection->lockedOut())
            throw CatalogueFailure(ErrorNumber::CannotOpenDatabase,
                                   u"The catalogue "_s + path +
                                       u" could not be read: another program kept it locked ("_s +
                                       connection->errorText() + u")."_s);
        failure =
            u"The file "_s + path + u" is not a catalogue database: "_s + connection->errorText();
        return nullptr;
    }
    return connection;
}

// True when the file and the folder that holds its journal files both take changes.
bool writableWhereItLies(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    return ::access(file.constData(), W_OK) == 0 && ::access(folder.constData(), W_OK) == 0;
}

// A catalogue on read-only media, or in a folder that does not allow changes, cannot have its
// journal files made there: it is opened for reading only, and when even the shared journal
// index cannot be made, as a file nobody changes (which is true of read-only media).
std::unique_ptr<StorageConnection> openFile(const QString& path) {
    using Mode = SqliteConnection::OpenMode;
    if (!QFileInfo(path).isFile())
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           u"Could not find the database file "_s + path);
    const QList<Mode> modes = writableWhereItLies(path)
                                  ? QList<Mode>{Mode::ReadWrite}
                                  : QList<Mode>{Mode::ReadOnly, Mode::Unchanging};
    QString failure;
    std::unique_ptr<SqliteConnection> connection;
    for (const Mode mode : modes) {
        failure.clear();
        connection = openAndProbe(path, mode, failure);
        if (connection)
            break;
    }
    if (!connection)
        throw RunTimeError(ErrorNumber::CannotOpenDatabase, failure);
    SchemaUpgrade::checkAndUpgrade(*connection, path);
    return connection;
}

// A database on a server is a catalogue when it has the layout version table; its layout is
// never brought up to date in place, since other computers may be working on it.
// Every server connection is opened here: the connections learn the catalogue's names first.
std::unique_ptr<PostgresConnection> connectToServer(const QString& uri) {
    PostgresConnection::useCatalogueNames(
        {CatalogueSchema::createStatements(), &CatalogueSchema::isBookkeepingTable});
    return PostgresConnection::open(uri);
}

std::unique_ptr<StorageConnection> openServer(const QString& uri) {
    std::unique_ptr<PostgresConnection> connection = connectToServer(uri);
    const QString place = CatalogueLocation::forMessages(uri);
    const QStringList tables = connection->tableNames();
    if (!tables.contains(u"SchemaVersion"_s, Qt::CaseInsensitive))
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           u"The database "_s + place +
                               u" is not a catalogue database: it has no catalogue tables"_s);
    const auto q = connection->prepare(u"SELECT max(Version) FROM SchemaVersion"_s);
    const int version = q->next() ? int(q->integer(0)) : 0;
    q->reset();
    if (version > CatalogueSchema::Version)
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           SchemaUpgrade::newerLayout(CatalogueLocation::shortName(uri), version));
    if (version < CatalogueSchema::Version)
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           u"The catalogue %1 has an older layout (layout %2) than this version "
                           u"of the program works with on a server (layout %3)."_s
                               .arg(CatalogueLocation::shortName(uri))
                               .arg(version)
                               .arg(CatalogueSchema::Version));
    return connection;
}

// The window's catalogues wait for another writer as long as its setting says, read at each
// opening so a changed setting holds for the next screen; a batch command keeps the wait of
// its --wait. The settings are read in the program's main thread only, which owns them; a
// catalogue opened in another thread takes the wait read last.
void takeWriterWaitSetting() {
    const QCoreApplication* application = QCoreApplication::instance();
    if (WriterTurn::limitKept() || !application ||
        QThread::currentThread() != application->thread())
        return;
    WriterTurn::takeSetting(SettingsStore::program().value(WriterTurn::SettingsSection,
                                                           WriterTurn::SettingsKey, QString()));
}

} // namespace

QString CatalogueDatabase::quoteName(const QString& name) {
    return StorageDialect::quoteName(name);
}

CatalogueDatabase::CatalogueDatabase(const QString& path) : m_path(path) {
    const bool server = CatalogueLocation::isServer(path);
    takeWriterWaitSetting();
    m_connection = server ? openServer(path) : openFile(path);
    // Every writer, whichever way it writes, is seen here: the engine reports each row it
    // changes, and the connection says when they are kept for good.
    m_identity =
        server ? CatalogueLocation::withoutPassword(path) : CatalogueChanges::identity(path);
    m_connection->setRowWritten(
        [this](const char* table, qint64 rowId) { rowWritten(table, rowId); });
    m_connection->setWritesDone([this] { announceChanges(); });
    // Only files can be overwritten by the program's own output.
    if (!server) {
        OpenCatalogues::opened(m_path);
        m_listed = true;
    }
}

void CatalogueDatabase::rowWritten(const char* table, qint64 rowId) {
    // The run journal's rows and the other bookkeeping tables are no view's business, and a
    // journalled run writes one of them for every row it writes.
    if (m_lastTable.isNull() || qstrcmp(m_lastTable, table) != 0) {
        m_lastTable = QByteArray(table);
        const QString name = QString::fromUtf8(table);
        m_lastRows = CatalogueSchema::isBookkeepingTable(name) ? nullptr : &m_written[name];
    }
    if (m_lastRows)
        m_lastRows->append(rowId);
}

void CatalogueDatabase::announceChanges() {
    if (m_written.isEmpty() || !m_connection || m_connection->inTransaction())
        return;
    const QHash<QString, QList<qint64>> written = std::exchange(m_written, {});
    m_lastTable.clear();
    m_lastRows = nullptr;
    for (auto it = written.cbegin(); it != written.cend(); ++it)
        emit CatalogueChanges::instance().rowsChanged(m_identity, it.key(), it.value());
}

void CatalogueDatabase::dropChanges() {
    m_written.clear();
    m_lastTable.clear();
    m_lastRows = nullptr;
}

void CatalogueDatabase::close() {
    if (m_listed) {
        OpenCatalogues::closed(m_path);
        m_listed = false;
    }
    m_connection.reset();
}

bool CatalogueDatabase::isReadOnly() const {
    return m_connection && m_connection->isReadOnly();
}

void CatalogueDatabase::requireWritable() const {
    if (isReadOnly())
        throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                               u"The catalogue "_s + m_path +
                                   u" is read-only (the file or its folder does not allow "
                                   u"changes); nothing was changed."_s);
}

CatalogueDatabase::~CatalogueDatabase() {
    close();
}

void CatalogueDatabase::create(const QString& path) {
    if (CatalogueLocation::isServer(path))
        return createOnServer(path);
    if (QFileInfo::exists(path))
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"The file "_s + path + u" already exists"_s);
    QString failure;
    const std::unique_ptr<SqliteConnection> connection =
        SqliteConnection::open(path, SqliteConnection::OpenMode::ReadWrite, failure);
    if (!connection)
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"Could not create "_s + path + u": "_s + failure);
    connection->prepare(u"PRAGMA journal_mode = WAL"_s)->next();
    connection->begin();
    for (const QString& statement : CatalogueSchema::createStatements())
        connection->prepare(statement)->next();
    connection->commit();
}

namespace {

// The database is made by the server's administrator; the catalogue goes into it only while it
// holds none, as a new file is made only where there is none. The tables are made in a write
// transaction left open for the caller to commit.
std::unique_ptr<PostgresConnection> makeServerTables(const QString& uri) {
    std::unique_ptr<PostgresConnection> connection = connectToServer(uri);
    const QStringList tables = connection->tableNames();
    for (const TableDefinition& table : CatalogueSchema::tables())
        if (tables.contains(table.name, Qt::CaseInsensitive) ||
            tables.contains(u"SchemaVersion"_s, Qt::CaseInsensitive))
            throw RunTimeError(ErrorNumber::DatabaseRefused,
                               u"The database "_s + CatalogueLocation::forMessages(uri) +
                                   u" already holds a catalogue"_s);
    connection->begin();
    for (const QString& statement : CatalogueSchema::serverCreateStatements(connection->dialect()))
        connection->prepare(statement)->execute();
    // A server has no hook telling of each row written: triggers gather a run's journal.
    QStringList journalled;
    for (const TableDefinition& table : CatalogueSchema::tables())
        journalled << table.name;
    journalled << CatalogueSchema::ReceivedLinesTable;
    for (const QString& statement : PostgresChangeCapture::schemaStatements(journalled))
        connection->prepare(statement)->execute();
    return connection;
}

} // namespace

void CatalogueDatabase::createOnServer(const QString& uri) {
    makeServerTables(uri)->commit();
}

std::unique_ptr<CatalogueDatabase>
CatalogueDatabase::createOnServerUncommitted(const QString& uri) {
    return std::unique_ptr<CatalogueDatabase>(new CatalogueDatabase(uri, makeServerTables(uri)));
}

CatalogueDatabase::CatalogueDatabase(const QString& uri, std::unique_ptr<StorageConnection> made)
    : m_path(uri), m_connection(std::move(made)),
      m_identity(CatalogueLocation::withoutPassword(uri)) {
    m_connection->setRowWritten(
        [this](const char* table, qint64 rowId) { rowWritten(table, rowId); });
    m_connection->setWritesDone([this] { announceChanges(); });
}

const QList<ColumnInfo>& CatalogueDatabase::columns(const QString& table) {
    const QString key = table.toLower();
    auto it = m_columns.find(key);
    if (it != m_columns.end())
        return *it;
    const QString realName = tableName(table);
    if (realName.isEmpty())
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"The catalogue has no table named "_s + table);
    QList<ColumnInfo> list;
    for (const StoredColumn& column : m_connection->tableColumns(realName))
        list << ColumnInfo{column.name, CatalogueSchema::kindFromDeclaredType(column.declaredType,
                                                                              column.primaryKey)};
    return *m_columns.insert(key, list);
}

bool CatalogueDatabase::hasTable(const QString& table) {
    return !tableName(table).isEmpty();
}

// Names found are kept: a batch asks for its table's name on every row it writes.
QString CatalogueDatabase::tableName(const QString& anyCase) {
    const QString key = anyCase.toLower();
    if (const auto it = m_tableNames.constFind(key); it != m_tableNames.cend())
        return *it;
    for (const QString& name : m_connection->tableNames())
        if (name.compare(anyCase, Qt::CaseInsensitive) == 0)
            return *m_tableNames.insert(key, name);
    return QString();
}

QStringList CatalogueDatabase::tableNames() {
    QStringList names;
    for (const QString& name : m_connection->tableNames())
        if (!CatalogueSchema::isBookkeepingTable(name))
            names << name;
    return names;
}

StorageStatement& CatalogueDatabase::run(const QString& sql, const QVariantList& values) {
    StorageStatement& q = m_connection->cached(sql);
    q.reset();
    for (int i = 0; i < values.size(); ++i) {
        if (boundAsNull(values.at(i)))
            q.bindNull(i + 1);
        else
            q.bind(i + 1, values.at(i));
    }
    q.execute();
    return q;
}

QVariant CatalogueDatabase::scalar(const QString& sql, const QVariantList& values) {
    StorageStatement& q = run(sql, values);
    QVariant result;
    if (q.next())
        result = q.value(0);
    q.reset();
    return result;
}

void CatalogueDatabase::checkpoint() {
    m_connection->checkpoint();
}

void CatalogueDatabase::settleAfterManyWrites(const QStringList& tables) {
    m_connection->settleAfterManyWrites(tables);
}

std::optional<QString> CatalogueDatabase::openHereRefusal(const QString& path) {
    for (const QString& catalogue : OpenCatalogues::all())
        if (auto refusal = OutputFile::refusal(path, OutputRules{catalogue, true, true}))
            return refusal;
    return std::nullopt;
}

void CatalogueDatabase::copyTo(const QString& targetPath) {
    // A backup through the database reads one consistent state of the file, whatever other
    // connections are doing, and writes it as a complete catalogue.
    // Never onto this catalogue or its -wal and -shm by any name, nor onto a folder or device;
    // another catalogue only because the user chose it in the Save As dialog, which asked.
    const OutputRules rules{m_path, true, true};
    OutputFile::check(targetPath, rules);
    const QString temporary = OutputFile::temporaryBeside(targetPath);
    try {
        m_connection->copyTo(temporary);
    } catch (const RunTimeError& error) {
        QFile::remove(temporary);
        throw RunTimeError(ErrorNumber::DatabaseRefused, u"Could not copy the catalogue to "_s +
                                                             targetPath + u": "_s +
                                                             error.description());
    }
    // Journals left by an earlier catalogue of that name would be read into the copy.
    QFile::remove(targetPath + u"-wal"_s);
    QFile::remove(targetPath + u"-shm"_s);
    OutputFile::moveIntoPlace(temporary, targetPath, rules);
}

ScopedTransaction::ScopedTransaction(CatalogueDatabase& db) : m_db(db) {
    m_db.requireWritable();
    m_db.connection().begin(StorageConnection::Intent::Write);
}

ScopedTransaction::~ScopedTransaction() {
    if (m_done)
        return;
    m_db.connection().rollback();
    m_db.dropChanges();
}

void ScopedTransaction::commit() {
    m_db.beforeCommit();
    m_done = true;
    try {
        m_db.connection().commit();
    } catch (...) {
        m_db.dropChanges();
        throw;
    }
}

BatchedTransaction::BatchedTransaction(CatalogueDatabase& db, int rowsPerBatch)
    : m_db(db), m_rowsPerBatch(qMax(1, rowsPerBatch)),
      m_transaction(std::make_unique<ScopedTransaction>(db)) {}

void BatchedTransaction::rowDone() {
    if (++m_rows < m_rowsPerBatch)
        return;
    m_transaction->commit();
    m_transaction = std::make_unique<ScopedTransaction>(m_db);
    m_rows = 0;
}

void BatchedTransaction::commit() {
    if (m_transaction) {
        m_transaction->commit();
        m_transaction.reset();
    }
}

} // namespace tovin
