#include "core/data/CatalogueDatabase.h"

#include "core/data/CatalogueChanges.h"
#include "core/data/CatalogueFailure.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/SchemaUpgrade.h"
#include "core/shell/OutputFile.h"
#include "core/shell/RunTimeError.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <mutex>
#include <sqlite3.h>
#include <unistd.h>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QAtomicInt connectionCounter;

// The files this program's connections have open, one entry per connection (copies run on a
// worker thread): a copy never replaces a file a screen still reads and writes.
std::mutex openFilesMutex;
QStringList& openFiles() {
    static QStringList files;
    return files;
}

[[noreturn]] void refused(const QString& what, const QSqlError& error) {
    bool known = false;
    const int code = error.nativeErrorCode().toInt(&known);
    if (known)
        DatabaseErrors::raise(code, what, error.databaseText());
    throw RunTimeError(ErrorNumber::DatabaseRefused, what + u": "_s + error.text());
}

[[noreturn]] void refused(sqlite3* handle, const QString& what, int code) {
    DatabaseErrors::raise(code, what, QString::fromUtf8(sqlite3_errmsg(handle)));
}

sqlite3* handleOf(const QSqlDatabase& db) {
    const QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(v.constData());
    return nullptr;
}

} // namespace

// A catalogue on read-only media, or in a folder that does not allow changes, cannot have its
// journal files made there: it is opened for reading only, and when even the shared journal
// index cannot be made, as a file nobody changes (which is true of read-only media).
QSqlDatabase CatalogueDatabase::openConnection(const QString& path, const QString& name,
                                               OpenMode mode) {
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
    QString options = u"QSQLITE_BUSY_TIMEOUT=5000"_s;
    if (mode != OpenMode::ReadWrite)
        options += u";QSQLITE_OPEN_READONLY"_s;
    if (mode == OpenMode::Unchanging) {
        options += u";QSQLITE_OPEN_URI"_s;
        db.setDatabaseName(
            QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
            u"?immutable=1"_s);
    } else {
        db.setDatabaseName(path);
    }
    db.setConnectOptions(options);
    return db;
}

namespace {

// True when the file and the folder that holds its journal files both take changes.
bool writableWhereItLies(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    return ::access(file.constData(), W_OK) == 0 && ::access(folder.constData(), W_OK) == 0;
}

} // namespace

QString CatalogueDatabase::quoteName(const QString& name) {
    return u'"' + QString(name).replace(u'"', u"\"\""_s) + u'"';
}

CatalogueDatabase::CatalogueDatabase(const QString& path)
    : m_path(path),
      m_connectionName(u"catalogue-%1"_s.arg(connectionCounter.fetchAndAddRelaxed(1))) {
    if (!QFileInfo(path).isFile())
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           u"Could not find the database file "_s + path);
    const QList<OpenMode> modes = writableWhereItLies(path)
                                      ? QList<OpenMode>{OpenMode::ReadWrite}
                                      : QList<OpenMode>{OpenMode::ReadOnly, OpenMode::Unchanging};
    QString failure;
    for (const OpenMode mode : modes) {
        failure = openAndProbe(mode);
        if (failure.isEmpty())
            break;
    }
    if (!failure.isEmpty())
        throw RunTimeError(ErrorNumber::CannotOpenDatabase, failure);
    // A lock held by another connection is waited for (the wait is told through the notice).
    sqlite3_busy_handler(m_handle, &CatalogueDatabase::waitForLock, this);
    try {
        SchemaUpgrade::checkAndUpgrade(m_handle, path);
    } catch (...) {
        close();
        throw;
    }
    // Every writer, whichever way it writes, is seen here: the file reports each row it changes.
    m_identity = CatalogueChanges::identity(path);
    sqlite3_update_hook(m_handle, &CatalogueDatabase::rowWritten, this);
    std::lock_guard lock(openFilesMutex);
    openFiles() << m_path;
    m_listed = true;
}

void CatalogueDatabase::rowWritten(void* self, int, const char*, const char* table, qint64 rowId) {
    auto* db = static_cast<CatalogueDatabase*>(self);
    // The run journal's rows and the other bookkeeping tables are no view's business, and a
    // journalled run writes one of them for every row it writes.
    if (db->m_lastTable.isNull() || qstrcmp(db->m_lastTable, table) != 0) {
        db->m_lastTable = QByteArray(table);
        const QString name = QString::fromUtf8(table);
        db->m_lastRows = CatalogueSchema::isBookkeepingTable(name) ? nullptr : &db->m_written[name];
    }
    if (db->m_lastRows)
        db->m_lastRows->append(rowId);
}

void CatalogueDatabase::announceChanges() {
    if (m_written.isEmpty() || !m_handle || !sqlite3_get_autocommit(m_handle))
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

QString CatalogueDatabase::openAndProbe(OpenMode mode) {
    m_db = openConnection(m_path, m_connectionName, mode);
    if (!m_db.open()) {
        const QString message = m_db.lastError().text();
        close();
        return u"Could not open the database file "_s + m_path + u": "_s + message;
    }
    m_handle = handleOf(m_db);
    // A file that is not a catalogue fails on its first read.
    QSqlQuery probe(m_db);
    if (!probe.exec(u"SELECT count(*) FROM sqlite_master"_s)) {
        const QString message = probe.lastError().text();
        probe = QSqlQuery();
        close();
        return u"The file "_s + m_path + u" is not a catalogue database: "_s + message;
    }
    probe.exec(u"PRAGMA foreign_keys = OFF"_s);
    return QString();
}

void CatalogueDatabase::close() {
    if (m_listed) {
        std::lock_guard lock(openFilesMutex);
        openFiles().removeOne(m_path);
        m_listed = false;
    }
    m_statements.clear();
    m_handle = nullptr;
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

bool CatalogueDatabase::isReadOnly() const {
    return m_handle && sqlite3_db_readonly(m_handle, "main") == 1;
}

void CatalogueDatabase::requireWritable() const {
    if (isReadOnly())
        throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                               u"The catalogue "_s + m_path +
                                   u" is read-only (the file or its folder does not allow "
                                   u"changes); nothing was changed."_s);
}

int CatalogueDatabase::waitForLock(void* self, int attempts) {
    auto* db = static_cast<CatalogueDatabase*>(self);
    if (attempts == 0)
        db->m_lockWaitTimer.start();
    const qint64 waited = db->m_lockWaitTimer.elapsed();
    if (waited >= db->m_lockWaitMs)
        return 0;
    // A lock still held after the first short wait is worth telling about, once per wait.
    if (attempts == 1 && db->m_lockNotice)
        db->m_lockNotice();
    sqlite3_sleep(int(qMin<qint64>(attempts < 4 ? 5 : 25, db->m_lockWaitMs - waited)));
    return 1;
}

CatalogueDatabase::~CatalogueDatabase() {
    close();
}

void CatalogueDatabase::create(const QString& path) {
    if (QFileInfo::exists(path))
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"The file "_s + path + u" already exists"_s);
    const QString name = u"catalogue-create-%1"_s.arg(connectionCounter.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = openConnection(path, name);
        if (!db.open())
            refused(u"Could not create "_s + path, db.lastError());
        QSqlQuery q(db);
        auto exec = [&](const QString& sql) {
            if (!q.exec(sql))
                refused(sql, q.lastError());
        };
        exec(u"PRAGMA journal_mode = WAL"_s);
        exec(u"BEGIN"_s);
        for (const QString& statement : CatalogueSchema::createStatements())
            exec(statement);
        exec(u"COMMIT"_s);
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
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
    QSqlQuery q(m_db);
    if (!q.exec(u"PRAGMA table_info("_s + quoteName(realName) + u')'))
        refused(u"Reading the columns of "_s + table, q.lastError());
    QList<ColumnInfo> list;
    while (q.next()) {
        ColumnInfo info;
        info.name = q.value(1).toString();
        info.kind =
            CatalogueSchema::kindFromDeclaredType(q.value(2).toString(), q.value(5).toInt() > 0);
        list << info;
    }
    return *m_columns.insert(key, list);
}

bool CatalogueDatabase::hasTable(const QString& table) {
    return !tableName(table).isEmpty();
}

QString CatalogueDatabase::tableName(const QString& anyCase) {
    return scalar(
               u"SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"_s,
               {anyCase})
        .toString();
}

QStringList CatalogueDatabase::tableNames() {
    QStringList names;
    QSqlQuery& q = run(u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid"_s);
    while (q.next())
        if (const QString name = q.value(0).toString(); !CatalogueSchema::isBookkeepingTable(name))
            names << name;
    q.finish();
    return names;
}

QSqlQuery& CatalogueDatabase::run(const QString& sql, const QVariantList& values) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        QSqlQuery q(m_db);
        if (!q.prepare(sql))
            refused(sql, q.lastError());
        it = m_statements.insert(sql, q);
    }
    QSqlQuery& q = *it;
    q.finish();
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        refused(sql, q.lastError());
    // A statement outside a transaction is committed as soon as it ran.
    announceChanges();
    return q;
}

QVariant CatalogueDatabase::scalar(const QString& sql, const QVariantList& values) {
    QSqlQuery& q = run(sql, values);
    QVariant result;
    if (q.next())
        result = q.value(0);
    q.finish();
    return result;
}

void CatalogueDatabase::checkpoint() {
    QSqlQuery q(m_db);
    if (!q.exec(u"PRAGMA wal_checkpoint(TRUNCATE)"_s))
        refused(u"Writing the catalogue file"_s, q.lastError());
}

void CatalogueDatabase::copyTo(const QString& targetPath) {
    // A backup through the database reads one consistent state of the file, whatever other
    // connections are doing, and writes it as a complete catalogue.
    // Never onto this catalogue or its -wal and -shm by any name, nor onto a folder or device;
    // another catalogue only because the user chose it in the Save As dialog, which asked.
    const OutputRules rules{m_path, true, true};
    OutputFile::check(targetPath, rules);
    // Nor onto another catalogue a screen still has open (one opened before the user opened
    // this one): the screen would go on writing into the file the copy replaced.
    QStringList open;
    {
        std::lock_guard lock(openFilesMutex);
        open = openFiles();
    }
    for (const QString& other : open)
        OutputFile::check(targetPath, OutputRules{other, true, true});
    const QString temporary = OutputFile::temporaryBeside(targetPath);
    sqlite3* target = nullptr;
    int rc = sqlite3_open_v2(temporary.toUtf8().constData(), &target,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", m_handle, "main");
        if (backup) {
            rc = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        } else {
            rc = sqlite3_errcode(target);
        }
    }
    const QString message = target ? QString::fromUtf8(sqlite3_errmsg(target)) : QString();
    if (target)
        sqlite3_close(target);
    if (rc != SQLITE_OK) {
        QFile::remove(temporary);
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"Could not copy the catalogue to "_s + targetPath + u": "_s + message);
    }
    // Journals left by an earlier catalogue of that name would be read into the copy.
    QFile::remove(targetPath + u"-wal"_s);
    QFile::remove(targetPath + u"-shm"_s);
    OutputFile::moveIntoPlace(temporary, targetPath, rules);
}

// Write transactions take the write lock when they begin (IMMEDIATE): a transaction that began
// as a reader and then writes cannot wait for another writer, and would fail at once.
ScopedTransaction::ScopedTransaction(CatalogueDatabase& db) : m_db(db) {
    m_db.requireWritable();
    if (const int rc = sqlite3_exec(m_db.handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        rc != SQLITE_OK)
        refused(m_db.handle(), u"Starting a transaction"_s, rc);
}

ScopedTransaction::~ScopedTransaction() {
    if (!m_done && !sqlite3_get_autocommit(m_db.handle()))
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    if (!m_done)
        m_db.dropChanges();
}

void ScopedTransaction::commit() {
    m_db.beforeCommit();
    m_done = true;
    if (const int rc = sqlite3_exec(m_db.handle(), "COMMIT", nullptr, nullptr, nullptr);
        rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db.handle()));
        if (!sqlite3_get_autocommit(m_db.handle()))
            sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        m_db.dropChanges();
        DatabaseErrors::raise(rc, u"Saving the changes"_s, message);
    }
    m_db.announceChanges();
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
