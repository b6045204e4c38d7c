#pragma once

#include "core/storage/ColumnKind.h"
#include "core/storage/StorageConnection.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>

namespace tovin {

struct ColumnInfo {
    QString name;
    ColumnKind kind = ColumnKind::Text;
};

// One open connection to a catalogue, in a file or on a PostgreSQL server (a libpq URI; see
// CatalogueLocation). Each screen opens its own. Every statement is
// prepared with bound values and checked; a refusal raises a RunTimeError carrying the
// database's message, so nothing fails silently (a CatalogueFailure when the file itself
// cannot be used: read-only, disk full, locked, damaged).
//
// Opening reads the layout version: a catalogue of an older layout is brought up to date, one
// written by a newer program is refused with error 3049 and a plain message.
class CatalogueDatabase {
public:
    // Opens an existing catalogue file (also one named *.mdb or *.mde). A missing file, a file
    // that is not a catalogue or one written by a newer program raises error 3049 (cannot open
    // database). A file that cannot be changed where it lies (read-only media, a read-only file
    // or folder) is opened for reading: everything that only reads works, every write
    // transaction is refused as read-only.
    explicit CatalogueDatabase(const QString& path);
    ~CatalogueDatabase();
    CatalogueDatabase(const CatalogueDatabase&) = delete;
    CatalogueDatabase& operator=(const CatalogueDatabase&) = delete;

    // Makes a new, empty catalogue file with the eight tables (an existing file is refused); for
    // a server URI, the catalogue's tables in its database, which must hold none of them.
    static void create(const QString& path);
    // For a server URI: makes the catalogue's tables as create() does, in a write transaction
    // left open on the returned catalogue's connection. What is written through it joins that
    // transaction: until it is committed, the database is as it was, tables and all; a failure
    // or a lost connection before then leaves it so.
    static std::unique_ptr<CatalogueDatabase> createOnServerUncommitted(const QString& uri);

    const QString& path() const { return m_path; }
    // The name this file's changes are announced under (see CatalogueChanges).
    const QString& identity() const { return m_identity; }
    // The storage connection every statement of this catalogue goes through.
    StorageConnection& connection() const { return *m_connection; }
    // A statement of its own, for a loop that keeps it (see StorageConnection::prepare).
    std::unique_ptr<StorageStatement> prepare(const QString& sql) const {
        return m_connection->prepare(sql);
    }
    const StorageDialect& dialect() const { return m_connection->dialect(); }
    bool isReadOnly() const;
    // Raises a CatalogueFailure saying the catalogue is read-only when it was opened so.
    void requireWritable() const;

    // The columns of a table in the table's own order, with their kinds (cached).
    const QList<ColumnInfo>& columns(const QString& table);
    bool hasTable(const QString& table);
    // The real spelling of a table's name as the file has it ("" when there is no such table).
    QString tableName(const QString& anyCase);
    QStringList tableNames();

    // Runs a statement with bound values (a null text binds as null); returns the statement
    // positioned before its first row, a write already done. Statements are prepared once per
    // connection and reused: reset() the statement when done reading before the end.
    StorageStatement& run(const QString& sql, const QVariantList& values = {});
    // Runs a statement and returns the first column of its first row (null when no row).
    QVariant scalar(const QString& sql, const QVariantList& values = {});

    // Writes everything to the main file, so a plain copy of it is a complete catalogue.
    void checkpoint();
    // See StorageConnection::settleAfterManyWrites.
    void settleAfterManyWrites(const QStringList& tables);
    // Copies the catalogue into a new file, consistently even while it is being written.
    void copyTo(const QString& targetPath);
    // Why `path` cannot be replaced because it is (or is a journal of) a catalogue some
    // connection of this program holds open, by any spelling; nothing when it can.
    static std::optional<QString> openHereRefusal(const QString& path);

    static QString quoteName(const QString& name);

    // Rows written since the last commit are announced once the commit succeeded, and
    // forgotten when the work is rolled back: views never show a write the file does not hold.
    void announceChanges();
    void dropChanges();

    // Called by every transaction of this connection just before it commits, to write what
    // must be kept with it (a run's journal); what it raises rolls the transaction back.
    void setBeforeCommit(std::function<void()> write) { m_beforeCommit = std::move(write); }
    void beforeCommit() const {
        if (m_beforeCommit)
            m_beforeCommit();
    }

    // How long the backup's own file handles wait for a lock.
    static constexpr int DefaultLockWaitMs = 5000;
    // How long a write waits for another writer before it fails: a catalogue opened takes
    // WriterTurn's wait (the window's setting, or a batch command's --wait).
    void setLockWait(int milliseconds) { m_connection->setLockWait(milliseconds); }
    // Told once per wait when a lock is not released at once (for a "waiting" message).
    void setLockNotice(std::function<void()> notice) {
        m_connection->setLockNotice(std::move(notice));
    }

private:
    // A catalogue on a connection just made for it (see createOnServerUncommitted).
    CatalogueDatabase(const QString& uri, std::unique_ptr<StorageConnection> made);
    static void createOnServer(const QString& uri);
    void rowWritten(const char* table, qint64 rowId);
    void close();

    QString m_path;
    std::unique_ptr<StorageConnection> m_connection;
    QHash<QString, QList<ColumnInfo>> m_columns;
    QHash<QString, QString> m_tableNames; // real spellings, by the lower-case name
    std::function<void()> m_beforeCommit;
    QString m_identity;
    QHash<QString, QList<qint64>> m_written; // rows written and not yet announced, by table
    bool m_listed = false;                   // counted among the files the program has open
    // The table the last written row was in, and its rows in m_written (null for a table whose
    // rows are not announced): a run writes many rows to one table in turn.
    QByteArray m_lastTable;
    QList<qint64>* m_lastRows = nullptr;
};

// Commits explicitly; rolls back when an error leaves its scope first.
class ScopedTransaction {
public:
    explicit ScopedTransaction(CatalogueDatabase& db);
    ~ScopedTransaction();
    ScopedTransaction(const ScopedTransaction&) = delete;
    ScopedTransaction& operator=(const ScopedTransaction&) = delete;
    void commit();

private:
    CatalogueDatabase& m_db;
    bool m_done = false;
};

// Long writes (imports, deletes) in batches: a transaction that is committed and begun anew
// every `rowsPerBatch` rows, so a crash leaves the finished batches written and a consistent
// file. Whatever is not committed when it goes out of scope is rolled back.
class BatchedTransaction {
public:
    BatchedTransaction(CatalogueDatabase& db, int rowsPerBatch);
    // Counts one row; commits the batch when it is full.
    void rowDone();
    // The rows still to come before the batch in progress is committed.
    int rowsUntilCommit() const { return m_rowsPerBatch - m_rows; }
    // Commits the rows of the batch in progress; no further rows may follow.
    void commit();

private:
    CatalogueDatabase& m_db;
    int m_rowsPerBatch;
    int m_rows = 0;
    std::unique_ptr<ScopedTransaction> m_transaction;
};

} // namespace tovin
