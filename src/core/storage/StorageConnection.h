#pragma once

#include "core/storage/StorageDialect.h"
#include "core/storage/StorageStatement.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tovin {

class ChangeCapture;
class StatementRefused;

// A column as the engine declares it: the data layer reads its kind from the declared type.
struct StoredColumn {
    QString name;
    QString declaredType;
    bool primaryKey = false;
};

// One open connection to a catalogue's storage engine: statements, transactions and the rows
// each write changes. Implemented once per engine; the rest of the program sees only this.
class StorageConnection {
public:
    virtual ~StorageConnection();
    StorageConnection(const StorageConnection&) = delete;
    StorageConnection& operator=(const StorageConnection&) = delete;

    // A new statement of its own, for loops that keep it; raises the engine's refusal.
    virtual std::unique_ptr<StorageStatement> prepare(const QString& sql) = 0;
    // The connection's own statement for this text, prepared on first use and kept: the same
    // text run again is not prepared again.
    StorageStatement& cached(const QString& sql);
    // Finalises the kept statements (before the engine is closed).
    void forgetStatements() { m_cached.clear(); }

    // One run of a statement in a group (see runTogether), with its values bound from position
    // 1. `done` reads what the run gave; `refused` is told when the engine refused the run.
    struct GroupedRun {
        StorageStatement* statement = nullptr;
        std::vector<QVariant> values;
        std::function<void(StorageStatement&)> done;
        std::function<void(const StatementRefused&)> refused;
    };
    // Runs the group in order, each run as execute() runs it alone: a refused run changes
    // nothing and is told to its `refused` (raised when it has none), and the runs after it
    // still go. A failure of the catalogue itself raises and ends the group. `done` is told in
    // order, though possibly only once later runs were made too: an engine on a server sends
    // the group inside a transaction in one exchange instead of one for each run.
    void runTogether(std::vector<GroupedRun>& runs) { runTogether(runs, Meanwhile{}); }
    // Work of the program's own, done once the first `after` runs of a group are done and
    // told, while the engine may still be making the others: a server works on them as the
    // program goes on (with `after` 0, on the whole group, be it of one run). The work must not
    // use the connection.
    struct Meanwhile {
        size_t after = 0;
        std::function<void()> work;
    };
    virtual void runTogether(std::vector<GroupedRun>& runs, const Meanwhile& meanwhile);

    enum class Intent { Read, Write };
    // A write transaction takes the write lock when it begins, so a transaction that began as a
    // reader never finds, when it comes to write, that it cannot wait for another writer.
    virtual void begin(Intent intent = Intent::Write) = 0;
    virtual void commit() = 0;
    // Rolls back whatever transaction is open; nothing when none is.
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;
    virtual bool isReadOnly() const = 0;

    virtual qint64 lastInsertedKey() const = 0;
    // The rows the last finished insert, update or delete changed.
    virtual qint64 rowsChanged() const = 0;
    virtual const StorageDialect& dialect() const = 0;
    // The name of the order a column's texts compare in ("" when the engine does not say).
    virtual QString columnCollation(const QString& table, const QString& column) const = 0;
    // A condition selecting the rows whose text in `column` equals `ascii` when the case of
    // ASCII letters is ignored, through the column's index where it can, with the values it
    // binds. It may select more rows than that (the caller decides on each again), never fewer;
    // nothing when the engine cannot narrow the rows down that way.
    struct TextLookup {
        QString where;
        QVariantList values;
    };
    virtual std::optional<TextLookup>
    caseInsensitiveLookup(const QString& table, const QString& column, const QString& ascii) const {
        Q_UNUSED(table);
        Q_UNUSED(column);
        Q_UNUSED(ascii);
        return std::nullopt;
    }
    // Makes the engine's page cache large enough to read most of a large catalogue in scattered
    // order, until the returned object goes (null for an engine that keeps its own cache).
    virtual std::shared_ptr<void> largeReadCache() { return nullptr; }

    // The tables there are, in the order they were made, the program's own among them.
    virtual QStringList tableNames() = 0;
    // A table's columns in the table's own order (none for a table there is not); the engine's
    // own row key is no column of the catalogue and is not listed.
    virtual QList<StoredColumn> tableColumns(const QString& table) = 0;
    // What the engine said about the last statement that failed.
    virtual QString errorText() const = 0;

    // How long a statement waits for a lock another connection holds before it fails, and
    // what is told once per wait when the lock is not released at once.
    virtual void setLockWait(int milliseconds) = 0;
    virtual void setLockNotice(std::function<void()> notice) = 0;

    // Writes everything to the main file, so a plain copy of it is complete.
    virtual void checkpoint() = 0;
    // After many rows of these tables were written at once, outside a transaction: brings what
    // the engine knows of them up to date, so that reading them stays quick. Best effort: the
    // rows are kept either way.
    virtual void settleAfterManyWrites(const QStringList& tables) { Q_UNUSED(tables); }
    // Copies the whole catalogue into a new file at `path`, consistently even while other
    // connections write; raises with the engine's message.
    virtual void copyTo(const QString& path) = 0;

    // Told of each row a statement writes (table and row key), when the engine writes it.
    using RowWritten = std::function<void(const char* table, qint64 key)>;
    virtual void setRowWritten(RowWritten told) = 0;
    // Told each time the writes so far are in the file for good: a transaction committed, or a
    // statement outside a transaction finished.
    void setWritesDone(std::function<void()> told) { m_writesDone = std::move(told); }
    void writesDone() const {
        if (m_writesDone)
            m_writesDone();
    }

    // How the engine lets the run journal see the rows its transactions change; made on first
    // use, it lives as long as the connection.
    ChangeCapture& changeCapture();

protected:
    StorageConnection();
    virtual std::unique_ptr<ChangeCapture> makeChangeCapture() = 0;

private:
    std::unique_ptr<ChangeCapture> m_capture;
    QHash<QString, std::shared_ptr<StorageStatement>> m_cached;
    std::function<void()> m_writesDone;
};

} // namespace tovin
