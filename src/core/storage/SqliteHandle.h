#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace tovin {

// The database's answer to one statement.
struct SqliteOutcome {
    int code = 0; // the database's result code, 0 for success
    QString message;
    QString firstValue; // the first column of the first row the statement gave
    bool ok() const { return code == 0; }
    // Another connection holds the lock the statement needed.
    bool busy() const;
    // The file is not a database at all.
    bool notADatabase() const;
    // The file is a database whose pages do not read as the database wrote them.
    bool damaged() const;
    // The file, or a journal file the database needs beside it, could not be opened or made.
    bool cannotOpen() const;
    // The file system or the database refused this process access to the file.
    bool refused() const;
};

enum class SqliteAccess {
    ReadWrite,
    ReadOnly,
    // Read-only and taken as unchanging: no journal file is made beside it nor one read. For
    // copies, and for files on read-only storage, which nothing can change.
    Unchanging
};

// One connection of its own to a database file, for work on the file as a whole (copies,
// checks, restores), closed when it goes out of scope. Connections of this process to the same
// file share its locks through the database, so opening and closing one never disturbs another.
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

    // The first read of the file, which takes the read lock and tells whether the file is a
    // database that can be read here at all.
    SqliteOutcome firstRead();
    // Makes the lock the next read takes last until the connection closes (the write-ahead
    // log's index kept in this process's memory), so no other connection reads or writes the
    // file meanwhile.
    SqliteOutcome holdAlone();
    // The names of the file's tables, and of a table's columns, as the file declares them.
    QStringList tableNames(SqliteOutcome& failure);
    QStringList columnNames(const QString& table, SqliteOutcome& failure);
    // The database's own check of every page ("ok" alone when all is well); `full` checks the
    // indexes against their tables as well.
    QStringList checkPages(bool full, SqliteOutcome& failure);
    // The size of the file's pages in bytes, as a text ("" when it cannot be read).
    QString pageSize();
    // Writes the logged changes into the file and empties the log.
    SqliteOutcome foldLog();
    // Keeps changes in a write-ahead log beside the file from now on (`writeAhead`), or writes
    // them into the file itself, so that it needs no file beside it to be read.
    SqliteOutcome setWriteAheadLog(bool writeAhead);
    // Rewrites the file with pages of `bytes` bytes; it is left without a write-ahead log.
    SqliteOutcome setPageSize(const QString& bytes);

    // Writes a consistent copy of the whole database into a new file at `target`, in one read
    // transaction whatever other connections write meanwhile.
    SqliteOutcome writeCopyTo(const QString& target);
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
