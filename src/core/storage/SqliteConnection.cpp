#include "core/storage/SqliteConnection.h"

#include "core/storage/CatalogueFailure.h"
#include "core/storage/SqliteChangeCapture.h"
#include "core/storage/SqliteStatement.h"
#include "core/storage/WriterTurn.h"

#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

std::unique_ptr<SqliteConnection> SqliteConnection::open(const QString& path, OpenMode mode,
                                                         QString& failure) {
    int flags = mode == OpenMode::ReadWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                            : SQLITE_OPEN_READONLY;
    flags |= SQLITE_OPEN_PRIVATECACHE | SQLITE_OPEN_NOMUTEX;
    QByteArray name = path.toUtf8();
    if (mode == OpenMode::Unchanging) {
        // Only a URI can say that nobody changes the file, so no lock or journal is needed.
        flags |= SQLITE_OPEN_URI;
        name = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())
                   .toString(QUrl::FullyEncoded)
                   .toUtf8() +
               "?immutable=1";
    }
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(name.constData(), &handle, flags, nullptr) != SQLITE_OK) {
        failure = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : u"out of memory"_s;
        sqlite3_close_v2(handle);
        return nullptr;
    }
    // Extended codes tell a full disk or a damaged file apart from a refused value.
    sqlite3_extended_result_codes(handle, 1);
    std::unique_ptr<SqliteConnection> connection(new SqliteConnection(handle));
    // A lock held by another connection is waited for (the wait is told through the notice).
    sqlite3_busy_handler(handle, &SqliteConnection::waitForLock, connection.get());
    return connection;
}

SqliteConnection::SqliteConnection(sqlite3* handle)
    : m_handle(handle), m_lockWaitMs(WriterTurn::limitMs()) {}

SqliteConnection::~SqliteConnection() {
    forgetStatements();
    sqlite3_update_hook(m_handle, nullptr, nullptr);
    SqliteChangeCapture::stopTelling(m_handle);
    sqlite3_close_v2(m_handle);
}

std::unique_ptr<StorageStatement> SqliteConnection::prepare(const QString& sql) {
    return std::make_unique<SqliteStatement>(m_handle, sql, this);
}

void SqliteConnection::exec(const char* sql, const QString& what) {
    if (const int rc = sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr); rc != SQLITE_OK)
        DatabaseErrors::raise(rc, what, errorText());
}

void SqliteConnection::begin(Intent intent) {
    m_gaveUp = GaveUp::No;
    m_startingWrite = intent == Intent::Write;
    const int rc = sqlite3_exec(m_handle, intent == Intent::Write ? "BEGIN IMMEDIATE" : "BEGIN",
                                nullptr, nullptr, nullptr);
    m_startingWrite = false;
    if (rc == SQLITE_OK)
        return;
    if ((rc & 0xff) == SQLITE_BUSY)
        raiseWaitGivenUp();
    DatabaseErrors::raise(rc, u"Starting a transaction"_s, errorText());
}

void SqliteConnection::raiseWaitGivenUp() {
    if (m_gaveUp == GaveUp::Limit)
        throw CatalogueFailure(ErrorNumber::DatabaseRefused, WriterTurn::gaveUpText(m_lastLimitMs) +
                                                                 u" ("_s + errorText() + u')');
    if (m_gaveUp == GaveUp::Cancelled)
        throw CatalogueFailure(ErrorNumber::DatabaseRefused, WriterTurn::cancelledText());
}

void SqliteConnection::commit() {
    if (const int rc = sqlite3_exec(m_handle, "COMMIT", nullptr, nullptr, nullptr);
        rc != SQLITE_OK) {
        const QString message = errorText();
        rollback();
        DatabaseErrors::raise(rc, u"Saving the changes"_s, message);
    }
    writesDone();
}

void SqliteConnection::rollback() {
    if (inTransaction())
        sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool SqliteConnection::inTransaction() const {
    return !sqlite3_get_autocommit(m_handle);
}

bool SqliteConnection::isReadOnly() const {
    return sqlite3_db_readonly(m_handle, "main") == 1;
}

qint64 SqliteConnection::lastInsertedKey() const {
    return sqlite3_last_insert_rowid(m_handle);
}

qint64 SqliteConnection::rowsChanged() const {
    return sqlite3_changes64(m_handle);
}

QString SqliteConnection::columnCollation(const QString& table, const QString& column) const {
    const char* collation = nullptr;
    if (sqlite3_table_column_metadata(m_handle, nullptr, table.toUtf8().constData(),
                                      column.toUtf8().constData(), nullptr, &collation, nullptr,
                                      nullptr, nullptr) != SQLITE_OK ||
        !collation)
        return QString();
    return QString::fromUtf8(collation);
}

QStringList SqliteConnection::tableNames() {
    QStringList names;
    const auto q = prepare(u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid"_s);
    while (q->next())
        names << q->text(0);
    return names;
}

QList<StoredColumn> SqliteConnection::tableColumns(const QString& table) {
    const auto q =
        prepare(u"PRAGMA table_info(\""_s + QString(table).replace(u'"', u"\"\""_s) + u"\")"_s);
    QList<StoredColumn> columns;
    while (q->next())
        columns << StoredColumn{q->text(1), q->text(2), q->integer(5) > 0};
    return columns;
}

bool SqliteConnection::lockedOut() const {
    const int code = sqlite3_errcode(m_handle) & 0xff;
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

std::unique_ptr<ChangeCapture> SqliteConnection::makeChangeCapture() {
    return std::make_unique<SqliteChangeCapture>(*this);
}

QString SqliteConnection::errorText() const {
    return QString::fromUtf8(sqlite3_errmsg(m_handle));
}

void SqliteConnection::setRowWritten(RowWritten told) {
    m_rowWritten = std::move(told);
    if (m_rowWritten)
        sqlite3_update_hook(m_handle, &SqliteConnection::rowWritten, this);
    else
        sqlite3_update_hook(m_handle, nullptr, nullptr);
}

void SqliteConnection::rowWritten(void* self, int, const char*, const char* table, qint64 rowId) {
    static_cast<SqliteConnection*>(self)->m_rowWritten(table, rowId);
}

// The lock goes with the process holding it, so a holder that ends or dies ends the wait; the
// limit only bounds a holder that is stuck.
int SqliteConnection::waitForLock(void* self, int attempts) {
    auto* connection = static_cast<SqliteConnection*>(self);
    if (attempts == 0) {
        connection->m_lockWaitTimer.start();
        connection->m_gaveUp = GaveUp::No;
        connection->m_cancelsAtStart = WriterTurn::cancelCount();
    }
    if (WriterTurn::cancelCount() != connection->m_cancelsAtStart) {
        connection->m_gaveUp = GaveUp::Cancelled;
        return 0;
    }
    const qint64 waited = connection->m_lockWaitTimer.elapsed();
    const int limitMs = connection->currentWaitLimitMs();
    connection->m_lastLimitMs = limitMs;
    if (waited >= limitMs) {
        connection->m_gaveUp = GaveUp::Limit;
        return 0;
    }
    // A lock still held after the first short wait is worth telling about, once per wait.
    if (attempts == 1) {
        if (connection->m_lockNotice)
            connection->m_lockNotice();
        WriterTurn::waitStarted(limitMs);
    }
    sqlite3_sleep(int(qMin<qint64>(attempts < 4 ? 5 : 25, limitMs - waited)));
    return 1;
}

int SqliteConnection::currentWaitLimitMs() const {
    if (m_startingWrite)
        return m_lockWaitMs;
    for (sqlite3_stmt* statement = sqlite3_next_stmt(m_handle, nullptr); statement;
         statement = sqlite3_next_stmt(m_handle, statement))
        if (sqlite3_stmt_busy(statement) && !sqlite3_stmt_readonly(statement))
            return m_lockWaitMs;
    return qMax(m_lockWaitMs, ReadGraceMs);
}

void SqliteConnection::checkpoint() {
    exec("PRAGMA wal_checkpoint(TRUNCATE)", u"Writing the catalogue file"_s);
}

void SqliteConnection::copyTo(const QString& path) {
    sqlite3* target = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &target,
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
    if (rc != SQLITE_OK)
        throw RunTimeError(ErrorNumber::DatabaseRefused, message);
}

} // namespace tovin
