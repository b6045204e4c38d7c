#pragma once

#include "core/storage/SqliteDialect.h"
#include "core/storage/StorageConnection.h"

#include <QElapsedTimer>

struct sqlite3;

namespace tovin {

// A connection to a catalogue file through SQLite itself.
class SqliteConnection final : public StorageConnection {
public:
    enum class OpenMode {
        ReadWrite, // an existing file, or a new one made by the first write
        ReadOnly,  // every write refused
        Unchanging // read-only media: not even the shared journal index is made
    };
    // The open connection, or null with the engine's reason in `failure`.
    static std::unique_ptr<SqliteConnection> open(const QString& path, OpenMode mode,
                                                  QString& failure);
    ~SqliteConnection() override;

    // For the few things only SQLite has, such as a test or a benchmark on plain SQLite.
    sqlite3* handle() const { return m_handle; }
    // Whether the last statement failed because another connection held a lock, which says
    // nothing about what the file holds.
    bool lockedOut() const;

    std::unique_ptr<StorageStatement> prepare(const QString& sql) override;
    void begin(Intent intent = Intent::Write) override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    bool isReadOnly() const override;
    qint64 lastInsertedKey() const override;
    qint64 rowsChanged() const override;
    const StorageDialect& dialect() const override { return m_dialect; }
    QString columnCollation(const QString& table, const QString& column) const override;
    std::optional<TextLookup> caseInsensitiveLookup(const QString& table, const QString& column,
                                                    const QString& ascii) const override;
    std::shared_ptr<void> largeReadCache() override;
    QStringList tableNames() override;
    QList<StoredColumn> tableColumns(const QString& table) override;
    QString errorText() const override;
    void setRowWritten(RowWritten told) override;
    void setLockWait(int milliseconds) override { m_lockWaitMs = milliseconds; }
    void setLockNotice(std::function<void()> notice) override { m_lockNotice = std::move(notice); }
    void checkpoint() override;
    void copyTo(const QString& path) override;

protected:
    std::unique_ptr<ChangeCapture> makeChangeCapture() override;

private:
    explicit SqliteConnection(sqlite3* handle);
    static int waitForLock(void* self, int attempts);
    // Reading is held up only for a moment (another connection checkpointing as it closes, or
    // rebuilding the shared journal index), so a read waits at least this long even when the
    // wait for another writer is shorter or none.
    static constexpr int ReadGraceMs = 10000;
    // How long the lock being waited for is waited for: the writer wait when starting a write
    // or running a statement that writes, at least the read grace otherwise.
    int currentWaitLimitMs() const;
    // Raises the reason a lock that was waited for was not had: the wait ran out or the user
    // cancelled it; nothing when the engine refused for another reason.
    void raiseWaitGivenUp();
    static void rowWritten(void* self, int operation, const char* database, const char* table,
                           qint64 rowId);
    void exec(const char* sql, const QString& what);

    sqlite3* m_handle;
    SqliteDialect m_dialect;
    RowWritten m_rowWritten;
    int m_lockWaitMs;
    bool m_startingWrite = false;
    int m_lastLimitMs = 0; // the limit of the last wait, for telling why it was given up
    std::function<void()> m_lockNotice;
    QElapsedTimer m_lockWaitTimer;
    // How the last wait for a lock ended when it was given up, and the count of the user's
    // cancels when it began.
    enum class GaveUp { No, Limit, Cancelled };
    GaveUp m_gaveUp = GaveUp::No;
    quint64 m_cancelsAtStart = 0;
    mutable int m_utf8 = -1; // whether the file keeps its texts in UTF-8 (-1: not asked yet)
};

} // namespace tovin
