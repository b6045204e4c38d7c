#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_file;

namespace tovin {

// The database's answer to one statement.
struct SqliteOutcome {
    int code = 0; // the database's result code, 0 for success
    QString message;
    QString firstValue; // the first column of the first row the statement gave
    bool ok() const { return code == 0; }
    bool busy() const;
};

enum class SqliteAccess {
    ReadWrite,
    ReadOnly,
    // Read-only and taken as unchanging: no journal file is made beside it nor one read. For
    // copies, and for files on read-only storage, which nothing can change.
    Unchanging
};

// One connection of the backups' own to a database file, closed when it goes out of scope.
// Connections of this process to the same file share its locks through the database, so
// opening and closing one never disturbs another.
class SqliteHandle {
public:
    SqliteHandle(const QString& path, SqliteAccess access, int lockWaitMs);
    ~SqliteHandle();
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;

    const QString& path() const { return m_path; }
    // Why the file could not be opened; empty when it was.
    const QString& openError() const { return m_openError; }
    int openCode() const { return m_openCode; }

    // How long a statement waits for other connections' locks (0: not at all).
    void setLockWait(int milliseconds);
    // Leaves a write-ahead log as it is when the connection closes, instead of folding it into
    // the file: for a file that is only read, and must stay as it is, byte for byte.
    void keepLogOnClose();

    SqliteOutcome exec(const QString& sql);
    // The first column of every row; a failed statement gives its outcome in `failure`.
    QStringList texts(const QString& sql, SqliteOutcome& failure);

    // Copies every page of `source` into this database in one transaction.
    SqliteOutcome takePagesFrom(SqliteHandle& source);

    // The file's bytes as they are on disk, and those of its write-ahead log when the
    // connection has one open, read through the connection's own descriptors (another
    // descriptor of this process would drop the locks the connection holds). False when they
    // could not all be read or written.
    bool copyBytesTo(const QString& target, QString& failure);

private:
    SqliteOutcome failed(int code) const;

    QString m_path;
    sqlite3* m_handle = nullptr;
    QString m_openError;
    int m_openCode = 0;
};

} // namespace tovin
