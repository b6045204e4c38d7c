#include "core/storage/SqliteHandle.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Streams `size` bytes of a file SQLite has open into `into`.
bool copyThroughDatabase(sqlite3_file* file, QFile& into) {
    sqlite3_int64 size = 0;
    if (!file || !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return false;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (sqlite3_int64 offset = 0; offset < size; offset += chunk.size()) {
        const int length = int(std::min<sqlite3_int64>(chunk.size(), size - offset));
        if (file->pMethods->xRead(file, chunk.data(), length, offset) != SQLITE_OK ||
            into.write(chunk.constData(), length) != length)
            return false;
    }
    return into.flush();
}

// A text as an SQL string literal.
QString sqlLiteral(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', u"''"_s) + u'\'';
}

} // namespace

bool SqliteOutcome::busy() const {
    return (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED;
}

bool SqliteOutcome::notADatabase() const {
    return (code & 0xff) == SQLITE_NOTADB;
}

bool SqliteOutcome::damaged() const {
    return (code & 0xff) == SQLITE_CORRUPT;
}

bool SqliteOutcome::cannotOpen() const {
    return (code & 0xff) == SQLITE_CANTOPEN;
}

bool SqliteOutcome::refused() const {
    return (code & 0xff) == SQLITE_PERM || (code & 0xff) == SQLITE_AUTH;
}

SqliteHandle::SqliteHandle(const QString& path, SqliteAccess access, int lockWaitMs)
    : m_path(path) {
    QByteArray name = QFile::encodeName(path);
    int flags = access == SqliteAccess::ReadWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (access == SqliteAccess::Unchanging) {
        name = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    m_openCode = sqlite3_open_v2(name.constData(), &m_handle, flags, nullptr);
    if (m_openCode != SQLITE_OK)
        m_openError = m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle)) : u"out of memory"_s;
    else
        setLockWait(lockWaitMs);
}

SqliteHandle::~SqliteHandle() {
    sqlite3_close(m_handle);
}

void SqliteHandle::setLockWait(int milliseconds) {
    if (m_handle)
        sqlite3_busy_timeout(m_handle, milliseconds);
}

void SqliteHandle::keepLogOnClose() {
    if (m_handle)
        sqlite3_db_config(m_handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

SqliteOutcome SqliteHandle::failed(int code) const {
    return {sqlite3_extended_errcode(m_handle) ? sqlite3_extended_errcode(m_handle) : code,
            m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle)) : u"out of memory"_s, QString()};
}

SqliteOutcome SqliteHandle::exec(const QString& sql) {
    if (m_openCode != SQLITE_OK)
        return {m_openCode, m_openError, QString()};
    SqliteOutcome outcome;
    const auto firstRow = [](void* into, int columns, char** values, char**) {
        auto* first = static_cast<QString*>(into);
        if (first->isNull() && columns > 0)
            *first = QString::fromUtf8(values[0] ? values[0] : "");
        return 0;
    };
    const int rc =
        sqlite3_exec(m_handle, sql.toUtf8().constData(), firstRow, &outcome.firstValue, nullptr);
    return rc == SQLITE_OK ? outcome : failed(rc);
}

QStringList SqliteHandle::texts(const QString& sql, SqliteOutcome& failure) {
    if (m_openCode != SQLITE_OK) {
        failure = {m_openCode, m_openError, QString()};
        return {};
    }
    QStringList rows;
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(m_handle, sql.toUtf8().constData(), -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            rows << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    if (rc != SQLITE_DONE)
        failure = failed(rc);
    sqlite3_finalize(statement);
    return rows;
}

// Every database has this table, so reading it reads the file's first page whatever it holds.
SqliteOutcome SqliteHandle::firstRead() {
    return exec(u"SELECT count(*) FROM sqlite_master"_s);
}

SqliteOutcome SqliteHandle::holdAlone() {
    return exec(u"PRAGMA locking_mode = EXCLUSIVE"_s);
}

QStringList SqliteHandle::tableNames(SqliteOutcome& failure) {
    return texts(u"SELECT name FROM sqlite_master WHERE type = 'table'"_s, failure);
}

QStringList SqliteHandle::columnNames(const QString& table, SqliteOutcome& failure) {
    return texts(u"SELECT name FROM pragma_table_info("_s + sqlLiteral(table) + u')', failure);
}

QStringList SqliteHandle::checkPages(bool full, SqliteOutcome& failure) {
    return texts(full ? u"PRAGMA integrity_check"_s : u"PRAGMA quick_check"_s, failure);
}

QString SqliteHandle::pageSize() {
    return exec(u"PRAGMA page_size"_s).firstValue;
}

SqliteOutcome SqliteHandle::foldLog() {
    return exec(u"PRAGMA wal_checkpoint(TRUNCATE)"_s);
}

SqliteOutcome SqliteHandle::setWriteAheadLog(bool writeAhead) {
    return exec(writeAhead ? u"PRAGMA journal_mode = WAL"_s : u"PRAGMA journal_mode = DELETE"_s);
}

// The page size of a file in write-ahead mode cannot change, and VACUUM is what rewrites the
// pages at the new size.
SqliteOutcome SqliteHandle::setPageSize(const QString& bytes) {
    return exec(u"PRAGMA journal_mode = DELETE; PRAGMA page_size = "_s + bytes + u"; VACUUM"_s);
}

// VACUUM INTO reads the database in one transaction and writes the new file compacted.
SqliteOutcome SqliteHandle::writeCopyTo(const QString& target) {
    return exec(u"VACUUM INTO "_s + sqlLiteral(target));
}

SqliteOutcome SqliteHandle::takePagesFrom(SqliteHandle& source) {
    if (m_openCode != SQLITE_OK)
        return {m_openCode, m_openError, QString()};
    sqlite3_backup* backup = sqlite3_backup_init(m_handle, "main", source.m_handle, "main");
    if (!backup)
        return failed(SQLITE_ERROR);
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE)
        return {stepped, QString::fromUtf8(sqlite3_errstr(stepped)), QString()};
    return finished == SQLITE_OK ? SqliteOutcome{} : failed(finished);
}

bool SqliteHandle::copyBytesTo(const QString& target, QString& failure) {
    sqlite3_file* file = nullptr;
    sqlite3_file* log = nullptr;
    if (m_handle) {
        sqlite3_file_control(m_handle, "main", SQLITE_FCNTL_FILE_POINTER, &file);
        sqlite3_file_control(m_handle, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log);
    }
    QFile main(target);
    if (!main.open(QIODevice::WriteOnly) || !copyThroughDatabase(file, main)) {
        failure = u"the file could not be read whole"_s;
        return false;
    }
    if (log && log->pMethods) {
        QFile logCopy(target + u"-wal"_s);
        if (!logCopy.open(QIODevice::WriteOnly) || !copyThroughDatabase(log, logCopy)) {
            failure = u"its write-ahead log could not be read whole"_s;
            return false;
        }
    }
    return true;
}

} // namespace tovin
