#include "core/journal/RunUndo.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/journal/JournalChunks.h"
#include "core/journal/JournalRun.h"
#include "core/journal/JournalValues.h"
#include "core/journal/RunHistory.h"
#include "core/shell/RunTimeError.h"
#include "core/storage/StorageStatement.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

using JournalRow = JournalChunks::Entry;

// The columns the program finds a row by, one row to a value: a product by its stock number
// (imports, receiving), a stock row by its product (receiving, selling from stock).
struct LookedUpColumn {
    QString table;
    QString column;
};
const LookedUpColumn LookedUpColumns[] = {{u"Products"_s, u"StockNo"_s},
                                          {u"Inventory"_s, u"Product Id"_s}};

// A looked-up column of a table, with the query for the other rows holding a value.
struct LookedUp {
    int position = -1;
    std::unique_ptr<StorageStatement> holders;
};

// The prepared statements of one table, made when the undo first meets it.
struct Table {
    QString name;
    QStringList columns;
    QList<ColumnKind> kinds;
    bool keyIsColumn = false; // the counter column holds the row's key
    int stockColumn = -1;
    std::unique_ptr<StorageStatement> select;
    std::unique_ptr<StorageStatement> remove;
    std::unique_ptr<StorageStatement> insert;
    QHash<int, std::shared_ptr<StorageStatement>> updates;
    std::vector<LookedUp> lookedUp;
    // Rows this undo gave a looked-up value back: they held it beside each other before the
    // run, so they do not stand in each other's way.
    QSet<qint64> putBack;
    // Rows given old values back: a row the run changed in several statements (an undo writes
    // a column at a time) is one row restored.
    QSet<qint64> restored;
};

class Undoer {
public:
    Undoer(CatalogueDatabase& db, RunUndo::Result& result) : m_db(db), m_result(result) {}

    void apply(const JournalRow& row) {
        Table& table = tableOf(row.table);
        switch (row.change) {
        case RunHistory::Change::Added:
            removeAdded(table, row);
            break;
        case RunHistory::Change::Changed:
            restoreChanged(table, row);
            break;
        case RunHistory::Change::Deleted:
            reinsertDeleted(table, row);
            break;
        }
    }

private:
    Table& tableOf(const QString& name) {
        auto it = m_tables.find(name);
        if (it != m_tables.end())
            return *it->second;
        auto table = std::make_unique<Table>();
        table->name = name;
        const QString quoted = CatalogueDatabase::quoteName(name);
        QStringList names, places;
        for (const ColumnInfo& column : m_db.columns(name)) {
            if (column.kind == ColumnKind::Counter)
                table->keyIsColumn = true;
            names << CatalogueDatabase::quoteName(column.name);
            places << u"?"_s;
            table->columns << column.name;
            table->kinds << column.kind;
        }
        if (name.compare(u"Products"_s, Qt::CaseInsensitive) == 0)
            table->stockColumn = int(table->columns.indexOf(u"StockNo"_s));
        for (const LookedUpColumn& key : LookedUpColumns) {
            const qsizetype position = table->columns.indexOf(key.column, Qt::CaseInsensitive);
            if (name.compare(key.table, Qt::CaseInsensitive) != 0 || position < 0)
                continue;
            // Compared as the lookups compare: the column's own rules for letter case.
            table->lookedUp.push_back(
                {int(position),
                 m_db.prepare(u"SELECT rowid FROM "_s + quoted + u" WHERE "_s +
                              CatalogueDatabase::quoteName(table->columns.at(position)) +
                              u" = ? AND rowid <> ?"_s)});
        }
        table->select = m_db.prepare(u"SELECT "_s + names.join(u", "_s) + u" FROM "_s + quoted +
                                     u" WHERE rowid = ?"_s);
        table->remove = m_db.prepare(u"DELETE FROM "_s + quoted + u" WHERE rowid = ?"_s);
        // A table keyed by a counter column takes the key with the column's value; any other
        // gets its row number given first.
        table->insert = m_db.prepare(
            table->keyIsColumn ? u"INSERT INTO "_s + quoted + u" ("_s + names.join(u", "_s) +
                                     u") VALUES ("_s + places.join(u", "_s) + u')'
                               : u"INSERT INTO "_s + quoted + u" (rowid, "_s + names.join(u", "_s) +
                                     u") VALUES (?, "_s + places.join(u", "_s) + u')');
        return *m_tables.emplace(name, std::move(table)).first->second;
    }

    // The row as it stands now; false when there is none with that key.
    bool current(Table& table, qint64 key, JournalValues::Row& values) {
        table.select->reset();
        table.select->bind(1, key);
        values.clear();
        const bool found = table.select->next();
        if (found)
            for (int i = 0; i < table.columns.size(); ++i)
                values << table.select->stored(i);
        table.select->reset();
        return found;
    }

    QString stockNumber(const Table& table, const JournalValues::Row& values) const {
        return table.stockColumn >= 0 ? values.value(table.stockColumn).toString() : QString();
    }

    void keep(const Table& table, qint64 key, const QString& stock, const QString& column,
              const QVariant& now, const QVariant& runValue, const QString& reason,
              qint64 heldBy = 0) {
        const ColumnKind kind = table.kinds.value(table.columns.indexOf(column), ColumnKind::Text);
        m_result.kept.append({table.name, key, stock, column, kind, now, runValue, reason, heldBy});
    }

    // Another row holding `value` in the looked-up column now, or 0. Empty values find no row
    // by them, so any number of rows may share one.
    qint64 holderOf(Table& table, const LookedUp& key, qint64 row, const QVariant& value) {
        if (value.isNull() || value.toString().isEmpty())
            return 0;
        StorageStatement& holders = *key.holders;
        holders.reset();
        // Bound as the text an import looks for.
        holders.bind(1, QVariant(value.toString()));
        holders.bind(2, row);
        qint64 holder = 0;
        while (holder == 0 && holders.next()) {
            const qint64 other = holders.stored(0).toLongLong();
            if (!table.putBack.contains(other))
                holder = other;
        }
        holders.reset();
        return holder;
    }

    // The first looked-up value of `values` that another row holds now, as the position of its
    // column and that row's key; {-1, 0} when the row may have them all.
    std::pair<int, qint64> heldValue(Table& table, qint64 row, const JournalValues::Row& values) {
        for (const LookedUp& key : table.lookedUp)
            if (const qint64 holder = holderOf(table, key, row, values.value(key.position)))
                return {key.position, holder};
        return {-1, 0};
    }

    QString heldText(const Table& table, int position, const QVariant& value, qint64 holder) const {
        return u"row %1 has %2 %3 since"_s.arg(holder).arg(
            table.columns.value(position),
            JournalValues::display(value, table.kinds.value(position)));
    }

    void removeAdded(Table& table, const JournalRow& row) {
        const JournalValues::Row wrote = JournalValues::unpackRow(row.newValues);
        JournalValues::Row now;
        if (!current(table, row.key, now)) {
            // Nothing is left to take back, but the user should know the row did not go by
            // this undo.
            keep(table, row.key, stockNumber(table, wrote), QString(), QVariant(), QVariant(),
                 u"already deleted"_s);
            return;
        }
        bool unchanged = true;
        for (int i = 0; i < table.columns.size(); ++i)
            if (!JournalValues::same(now.value(i), wrote.value(i))) {
                unchanged = false;
                keep(table, row.key, stockNumber(table, now), table.columns.at(i), now.value(i),
                     wrote.value(i), u"changed since"_s);
            }
        if (!unchanged)
            return;
        table.remove->reset();
        table.remove->bind(1, row.key);
        table.remove->next();
        table.remove->reset();
        ++m_result.rowsDeleted;
    }

    void restoreChanged(Table& table, const JournalRow& row) {
        const JournalValues::Columns before = JournalValues::unpackColumns(row.oldValues);
        const JournalValues::Columns after = JournalValues::unpackColumns(row.newValues);
        JournalValues::Row now;
        if (!current(table, row.key, now)) {
            for (const auto& [position, value] : after)
                keep(table, row.key, QString(), table.columns.value(position), QVariant(), value,
                     u"row deleted since"_s);
            return;
        }
        bool restored = false;
        for (qsizetype i = 0; i < after.size() && i < before.size(); ++i) {
            const int position = after.at(i).first;
            if (!JournalValues::same(now.value(position), after.at(i).second)) {
                keep(table, row.key, stockNumber(table, now), table.columns.value(position),
                     now.value(position), after.at(i).second, u"changed since"_s);
                continue;
            }
            const QVariant& old = before.at(i).second;
            if (const LookedUp* key = lookedUpAt(table, position)) {
                if (const qint64 holder = holderOf(table, *key, row.key, old)) {
                    keep(table, row.key, stockNumber(table, now), table.columns.value(position),
                         now.value(position), after.at(i).second,
                         u"not set back, "_s + heldText(table, position, old, holder), holder);
                    continue;
                }
                table.putBack.insert(row.key);
            }
            StorageStatement& update = updateOf(table, position);
            update.reset();
            update.bind(1, before.at(i).second);
            update.bind(2, row.key);
            update.next();
            update.reset();
            restored = true;
        }
        if (restored && !table.restored.contains(row.key)) {
            table.restored.insert(row.key);
            ++m_result.rowsRestored;
        }
    }

    void reinsertDeleted(Table& table, const JournalRow& row) {
        const JournalValues::Row values = JournalValues::unpackRow(row.oldValues);
        JournalValues::Row now;
        if (current(table, row.key, now)) {
            keep(table, row.key, stockNumber(table, now), QString(), QVariant(),
                 QVariant(stockNumber(table, values)), u"key taken since"_s);
            return;
        }
        if (const auto [position, holder] = heldValue(table, row.key, values); holder != 0) {
            keep(table, row.key, stockNumber(table, values), QString(), QVariant(), QVariant(),
                 u"not put back, "_s + heldText(table, position, values.value(position), holder),
                 holder);
            return;
        }
        table.putBack.insert(row.key);
        StorageStatement& insert = *table.insert;
        insert.reset();
        int place = 1;
        if (!table.keyIsColumn)
            insert.bind(place++, row.key);
        for (int i = 0; i < table.columns.size(); ++i)
            insert.bind(place++, values.value(i));
        insert.next();
        insert.reset();
        ++m_result.rowsReinserted;
    }

    static const LookedUp* lookedUpAt(const Table& table, int position) {
        for (const LookedUp& key : table.lookedUp)
            if (key.position == position)
                return &key;
        return nullptr;
    }

    StorageStatement& updateOf(Table& table, int position) {
        auto it = table.updates.find(position);
        if (it == table.updates.end())
            it = table.updates.insert(
                position, std::shared_ptr<StorageStatement>(m_db.prepare(
                              u"UPDATE "_s + CatalogueDatabase::quoteName(table.name) + u" SET "_s +
                              CatalogueDatabase::quoteName(table.columns.value(position)) +
                              u" = ? WHERE rowid = ?"_s)));
        return **it;
    }

    CatalogueDatabase& m_db;
    RunUndo::Result& m_result;
    std::unordered_map<QString, std::unique_ptr<Table>> m_tables;
};

// Newest first: a row changed twice gets the value from before the first change.
std::vector<JournalRow> journalRows(CatalogueDatabase& db, qint64 run) {
    std::vector<JournalRow> rows;
    JournalChunks::forEach(db, run, [&](JournalRow& row) {
        rows.push_back(std::move(row));
        return true;
    });
    std::reverse(rows.begin(), rows.end());
    return rows;
}

QString counted(qint64 n, const QString& one, const QString& many) {
    return QString::number(n) + u' ' + (n == 1 ? one : many);
}

} // namespace

RunUndo::Result RunUndo::undo(CatalogueDatabase& db, qint64 run, bool trial) {
    db.requireWritable();
    if (!db.hasTable(CatalogueSchema::RunsTable))
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"The catalogue keeps no journal of runs; nothing was changed."_s);
    ScopedTransaction transaction(db);
    const std::optional<RunHistory::RunInfo> info = RunHistory::run(db, run);
    if (!info)
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"There is no run %1 in the catalogue; nothing was changed."_s.arg(run));
    if (info->undoneBy != 0)
        throw RunTimeError(
            ErrorNumber::InvalidProcedureCall,
            u"Run %1 was already undone by run %2; nothing was changed."_s.arg(run).arg(
                info->undoneBy));
    Result result;
    result.run = run;
    const std::vector<JournalRow> rows = journalRows(db, run);
    {
        JournalRun journal(db, JournalRun::Undo, u"run %1"_s.arg(run));
        Undoer undoer(db, result);
        for (const JournalRow& row : rows)
            undoer.apply(row);
        journal.setTotals(summary(result, false));
        result.undoRun = journal.number();
        db.run(u"UPDATE Runs SET UndoOf = ? WHERE Run = ?"_s, {run, result.undoRun});
        db.run(u"UPDATE Runs SET UndoneBy = ? WHERE Run = ?"_s, {result.undoRun, run});
        // Taking back an undo makes the run it took back stand again.
        if (info->undoOf != 0)
            db.run(u"UPDATE Runs SET UndoneBy = NULL WHERE Run = ?"_s, {info->undoOf});
    }
    if (trial)
        result.undoRun = 0;
    else
        transaction.commit();
    return result;
}

QString RunUndo::summary(const Result& result, bool trial) {
    return (trial ? u"Undoing run %1 would take back: "_s : u"Run %1 taken back: "_s)
               .arg(result.run) +
           counted(result.rowsDeleted, u"row deleted"_s, u"rows deleted"_s) + u", "_s +
           counted(result.rowsRestored, u"row restored"_s, u"rows restored"_s) + u", "_s +
           counted(result.rowsReinserted, u"row put back"_s, u"rows put back"_s) + u"; "_s +
           counted(result.kept.size(), u"change kept"_s, u"changes kept"_s) +
           (trial ? u" (nothing was changed)."_s : u"."_s);
}

QString RunUndo::line(const Kept& kept) {
    QString where = kept.table + u' ' +
                    (kept.stockNumber.isEmpty() ? u"row %1"_s.arg(kept.key) : kept.stockNumber);
    if (!kept.column.isEmpty())
        where += u' ' + kept.column;
    if (kept.heldBy != 0 ||
        (kept.column.isEmpty() && !kept.current.isValid() && !kept.runValue.isValid()))
        return where + u": "_s + kept.reason;
    return where + u": "_s + kept.reason + u", now "_s +
           JournalValues::display(kept.current, kept.kind) + u", the run wrote "_s +
           JournalValues::display(kept.runValue, kept.kind);
}

} // namespace tovin
