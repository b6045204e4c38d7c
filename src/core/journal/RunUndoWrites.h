#pragma once

#include "core/journal/JournalValues.h"
#include "core/storage/ColumnKind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace tovin {

class CatalogueDatabase;
class StorageStatement;

// The writes of an undo, in the order it decides them. On a file each is made at once, a
// statement a row; on a server they are kept and sent in sets (see ServerSets): the writes of
// one kind to one table and the same columns that follow each other, each row once, go as one
// statement, so that the order of the writes to any row stays the order they were decided in.
// A trial keeps none. On a server the undo knows each row as it stands (read locked) and what it
// writes, so it journals its writes itself, in their order (see ServerJournal::note).
class RunUndoWrites {
public:
    enum class Mode { AtOnce, InSets, Nothing };

    // A table as the undo writes it: its columns in order, with their kinds.
    struct Table {
        QString name;
        QStringList columns;
        QList<ColumnKind> kinds;
        bool keyIsColumn = false; // the counter column holds the row's key
    };

    RunUndoWrites(CatalogueDatabase& db, Mode mode);
    ~RunUndoWrites();
    RunUndoWrites(const RunUndoWrites&) = delete;
    RunUndoWrites& operator=(const RunUndoWrites&) = delete;

    // `now` is the whole row as it stands before the write, for the journal.
    void remove(const Table& table, qint64 key, const JournalValues::Row& now);
    // The same with the row as it stands packed as the journal packs it.
    void remove(const Table& table, qint64 key, const QByteArray& packedNow);
    // A row the undo deleted itself already (see RunUndoSetDelete), holding `packedNow`: it
    // only takes its place among the writes, to be journalled in their order.
    void removed(const Table& table, qint64 key, const QByteArray& packedNow);
    // Sets the columns at these positions to their values in `row` (a whole row, by position).
    void update(const Table& table, qint64 key, const QList<int>& positions,
                const JournalValues::Row& row, const JournalValues::Row& now);
    // Puts the row back with its key.
    void insert(const Table& table, qint64 key, const JournalValues::Row& row);
    // Sends what is kept; a refusal raises, and the undo's transaction goes back whole.
    void flush();

private:
    enum class Kind { Remove, Update, Insert };
    struct Write {
        const Table* table = nullptr;
        Kind kind = Kind::Remove;
        QList<int> positions; // written columns; all of them for an insert
        qint64 key = 0;
        JournalValues::Row values; // by position in `positions`
        JournalValues::Row before; // the same columns before (a removed row: all of them)
        QByteArray packedBefore;   // or a removed row packed
        bool made = false;         // written already; only journalled
    };

    void add(Write write);
    void writeOne(const Write& write);
    // Writes pending[from, end), all of one shape and each row once, in one statement.
    void writeSet(size_t from, size_t end);
    // Notes pending[from, end), just written, in the run's journal.
    void journal(size_t from, size_t end) const;
    StorageStatement& statement(const QString& sql);
    static bool sameShape(const Write& a, const Write& b);
    static QString oneRowSql(const Write& write);
    static QString setSql(const Write& write);

    CatalogueDatabase& m_db;
    Mode m_mode;
    std::vector<Write> m_pending;
    QHash<QString, std::shared_ptr<StorageStatement>> m_statements;
};

} // namespace tovin
