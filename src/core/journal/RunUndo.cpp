#include "core/journal/RunUndo.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/JournalChunks.h"
#include "core/journal/JournalRun.h"
#include "core/journal/JournalValues.h"
#include "core/journal/RunHistory.h"
#include "core/journal/RunUndoSetDelete.h"
#include "core/journal/RunUndoWrites.h"
#include "core/journal/ServerJournal.h"
#include "core/journal/ServerSets.h"
#include "core/storage/StorageStatement.h"

#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
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

// What the undo knows of one table: its layout, its rows as the undo has left them so far, and
// the statements that read it.
struct Table {
    RunUndoWrites::Table shape;
    int stockColumn = -1;
    std::unique_ptr<StorageStatement> select;
    std::vector<LookedUp> lookedUp;
    // The rows read, as this undo has left them (none: no row with that key). A trial writes
    // nothing, and a catalogue on a server gets the writes in sets later: both decide from
    // these.
    QHash<qint64, std::optional<JournalValues::Row>> rows;
    // Rows read in a set on a server and not looked at yet, packed as the journal packs them:
    // a row the run added is most often found exactly as the run wrote it, which the packed
    // values tell at once.
    QHash<qint64, QByteArray> packed;
    // Rows this undo deleted: they hold no value any more.
    QSet<qint64> removed;
    // Rows this undo gave a looked-up value back: they held it beside each other before the
    // run, so they do not stand in each other's way.
    QSet<qint64> putBack;
    // Rows given old values back: a row the run changed in several statements is one row
    // restored.
    QSet<qint64> restored;
    // On a server, the rows holding each looked-up value asked about, read a set at a time,
    // by column position and value, in key order.
    QHash<int, QHash<QString, QList<qint64>>> holders;
    // On a server, the rows the run added that the server found as the run wrote them and
    // deleted a set at a time, before the undo comes to them in its order; and what deletes
    // them (none until needed).
    QSet<qint64> deletedAhead;
    std::unique_ptr<RunUndoSetDelete> setDelete;

    // Neither read nor written by this undo yet.
    bool unread(qint64 key) const {
        return !rows.contains(key) && !packed.contains(key) && !deletedAhead.contains(key);
    }
};

class Undoer {
public:
    // `versions`: on a server, the versions the run left its rows in (see RunUndoSetDelete).
    Undoer(CatalogueDatabase& db, RunUndo::Result& result, RunUndoWrites::Mode mode,
           const QString& versions = QString())
        : m_db(db), m_result(result), m_writes(db, mode), m_inSets(ServerSets::apply(db)),
          m_writing(mode != RunUndoWrites::Mode::Nothing), m_remember(m_inSets || !m_writing),
          m_versions(versions) {}
    Undoer(const Undoer&) = delete;
    Undoer& operator=(const Undoer&) = delete;

    // Takes back these rows, newest first; on a server the rows and looked-up values they
    // need are read a set at a time, and the writes go in sets.
    void apply(const std::vector<JournalRow>& rows) {
        if (m_inSets && m_writing && !m_versions.isEmpty())
            deleteUnchangedAtOnce(rows);
        const size_t step = m_inSets ? size_t(ServerSets::RowsPerStatement) : rows.size();
        for (size_t from = 0; from < rows.size(); from += step) {
            const size_t end = std::min(rows.size(), from + step);
            if (m_inSets && m_writing) {
                // The writes decided so far go first, so that the server sees every write in
                // the order decided, the set's deletes among them.
                m_writes.flush();
            }
            if (m_inSets)
                readAhead(rows, from, end);
            for (size_t i = from; i < end; ++i)
                apply(rows[i]);
        }
        m_writes.flush();
    }

private:
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

    Table& tableOf(const QString& name) {
        auto it = m_tables.find(name);
        if (it != m_tables.end())
            return *it->second;
        auto table = std::make_unique<Table>();
        RunUndoWrites::Table& shape = table->shape;
        shape.name = name;
        const QString quoted = CatalogueDatabase::quoteName(name);
        QStringList names;
        for (const ColumnInfo& column : m_db.columns(name)) {
            if (column.kind == ColumnKind::Counter)
                shape.keyIsColumn = true;
            names << CatalogueDatabase::quoteName(column.name);
            shape.columns << column.name;
            shape.kinds << column.kind;
        }
        if (name.compare(u"Products"_s, Qt::CaseInsensitive) == 0)
            table->stockColumn = int(shape.columns.indexOf(u"StockNo"_s));
        for (const LookedUpColumn& key : LookedUpColumns) {
            const qsizetype position = shape.columns.indexOf(key.column, Qt::CaseInsensitive);
            if (name.compare(key.table, Qt::CaseInsensitive) != 0 || position < 0)
                continue;
            // Compared as the lookups compare: the column's own rules for letter case. The
            // first other row in key order is named.
            const QString column = CatalogueDatabase::quoteName(shape.columns.at(position));
            table->lookedUp.push_back(
                {int(position),
                 m_db.prepare(m_inSets ? u"SELECT v.s, t.rowid FROM unnest(CAST(? AS text[])) AS "
                                         u"v(s) JOIN "_s +
                                             quoted + u" AS t ON t."_s + column +
                                             u" = v.s ORDER BY t.rowid"_s
                                       : u"SELECT rowid FROM "_s + quoted + u" WHERE "_s + column +
                                             u" = ? ORDER BY rowid"_s)});
        }
        table->select =
            m_db.prepare(m_inSets ? u"SELECT rowid, "_s + names.join(u", "_s) + u" FROM "_s +
                                        quoted + u" WHERE rowid = ANY(CAST(? AS bigint[]))"_s +
                                        // Locked, so that the rows stay as read until written
                                        // and journalled; a trial only reads.
                                        (m_writing ? u" FOR UPDATE"_s : QString())
                                  : u"SELECT "_s + names.join(u", "_s) + u" FROM "_s + quoted +
                                        u" WHERE rowid = ?"_s);
        return *m_tables.emplace(name, std::move(table)).first->second;
    }

    // Reads the rows of rows[from, end) not read yet, and on a server the rows holding the
    // looked-up values they may give back, a statement per table. A real undo first has the
    // server delete the rows the run added that no later change in the undo touches and that
    // still hold what the run wrote; only the others are read. The looked-up values are read
    // before, so that a row deleted so still holds its values until the undo comes to it.
    void readAhead(const std::vector<JournalRow>& rows, size_t from, size_t end) {
        QHash<Table*, std::vector<qint64>> keys;
        QHash<Table*, std::vector<RunUndoSetDelete::Added>> added;
        QHash<Table*, QHash<int, QSet<QString>>> values;
        QHash<Table*, QSet<qint64>> seen;
        for (size_t i = from; i < end; ++i) {
            const JournalRow& row = rows[i];
            Table& table = tableOf(row.table);
            const bool unread = table.unread(row.key);
            const bool first = unread && !seen[&table].contains(row.key);
            if (first && m_writing && row.change == RunHistory::Change::Added)
                added[&table].push_back({row.key, row.newValues});
            else if (first)
                keys[&table].push_back(row.key);
            seen[&table].insert(row.key);
            for (const LookedUp& key : table.lookedUp) {
                QVariant value;
                if (row.change == RunHistory::Change::Deleted)
                    value = JournalValues::unpackRow(row.oldValues).value(key.position);
                else if (row.change == RunHistory::Change::Changed)
                    for (const auto& [position, old] : JournalValues::unpackColumns(row.oldValues))
                        if (position == key.position)
                            value = old;
                if (!isLookupValue(value))
                    continue;
                if (!table.holders[key.position].contains(value.toString()))
                    values[&table][key.position].insert(value.toString());
            }
        }
        for (auto it = values.begin(); it != values.end(); ++it)
            for (const LookedUp& key : it.key()->lookedUp)
                readHolders(*it.key(), key, it.value().value(key.position));
        for (auto it = added.begin(); it != added.end(); ++it)
            deleteAhead(*it.key(), it.value(), keys[it.key()],
                        likelyAdded(*it.key(), rows, end, seen[it.key()]));
        // A set whose added rows were all deleted ahead leaves nothing to read.
        for (auto it = keys.begin(); it != keys.end(); ++it)
            if (!it.value().empty())
                readRows(*it.key(), it.value());
    }

    // A run that only added rows (an import of new products, say) has the server delete at
    // once, in each table, every row in the range of the run's keys that is still in a version
    // the run left it in: only the run's rows can be, and they hold what the run wrote. The
    // undo still comes to each row in its order, and reads only the others. A run that changed
    // or deleted rows too goes a set at a time, so that what a row gets back is decided with
    // the rows still there that the undo has not come to yet (as a trial decides). A range
    // holding many more rows than the run added (other programs adding beside it) is left to
    // the sets too, so that the server does not go through rows it has no business with.
    void deleteUnchangedAtOnce(const std::vector<JournalRow>& rows) {
        struct Range {
            qint64 lowest = std::numeric_limits<qint64>::max();
            qint64 highest = std::numeric_limits<qint64>::min();
            qint64 count = 0;
        };
        std::unordered_map<QString, Range> ranges;
        for (const JournalRow& row : rows) {
            if (row.change != RunHistory::Change::Added)
                return;
            Range& range = ranges[row.table];
            range.lowest = std::min(range.lowest, row.key);
            range.highest = std::max(range.highest, row.key);
            ++range.count;
        }
        for (const auto& [name, range] : ranges) {
            if (quint64(range.highest - range.lowest) >= quint64(2 * range.count))
                continue;
            Table& table = tableOf(name);
            if (!table.setDelete)
                table.setDelete = std::make_unique<RunUndoSetDelete>(m_db, table.shape, m_versions);
            const QSet<qint64> deleted =
                table.setDelete->removeInVersions(range.lowest, range.highest);
            // A row in the run's versions that the run did not add would mean a journal that
            // lost a change: the undo stops, and its transaction takes the delete back.
            QSet<qint64> stray = deleted;
            for (const JournalRow& row : rows)
                if (row.table == name)
                    stray.remove(row.key);
            if (!stray.isEmpty())
                throw RunTimeError(ErrorNumber::DatabaseRefused,
                                   u"Row %1 of %2 was written by the run, but its journal does "
                                   u"not hold it; nothing was changed."_s.arg(*stray.cbegin())
                                       .arg(name));
            table.deletedAhead = deleted;
        }
    }

    // The rows of the table the next read-ahead (of the rows from `from` on) will most likely
    // have the server delete: the rows the run added that neither this set nor an earlier one
    // reads. A guess, made before the server is asked so that their statement can be made
    // while it deletes this set's; a wrong guess only costs making it again.
    std::vector<RunUndoSetDelete::Added> likelyAdded(const Table& table,
                                                     const std::vector<JournalRow>& rows,
                                                     size_t from, const QSet<qint64>& readNow) {
        std::vector<RunUndoSetDelete::Added> added;
        QSet<qint64> seen;
        const size_t end = std::min(rows.size(), from + size_t(ServerSets::RowsPerStatement));
        for (size_t i = from; i < end; ++i) {
            const JournalRow& row = rows[i];
            if (row.table != table.shape.name)
                continue;
            const bool unread = table.unread(row.key) && !readNow.contains(row.key);
            if (unread && !seen.contains(row.key) && row.change == RunHistory::Change::Added)
                added.push_back({row.key, row.newValues});
            seen.insert(row.key);
        }
        return added;
    }

    // Has the server delete those of the rows the run added that hold what it wrote; the
    // others join the rows to read.
    void deleteAhead(Table& table, const std::vector<RunUndoSetDelete::Added>& added,
                     std::vector<qint64>& toRead,
                     const std::vector<RunUndoSetDelete::Added>& likelyNext) {
        if (!table.setDelete)
            table.setDelete = std::make_unique<RunUndoSetDelete>(m_db, table.shape, m_versions);
        const QSet<qint64> deleted = table.setDelete->remove(added, likelyNext);
        for (const auto& [key, values] : added) {
            if (deleted.contains(key))
                table.deletedAhead.insert(key);
            else
                toRead.push_back(key);
        }
    }

    void readRows(Table& table, std::vector<qint64>& keys) {
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        for (const qint64 key : keys)
            table.rows.insert(key, std::nullopt);
        StorageStatement& select = *table.select;
        select.reset();
        select.bindText(1, ServerSets::keys(keys));
        const int columns = int(table.shape.columns.size());
        while (select.next()) {
            const qint64 key = select.integer(0);
            table.rows.remove(key);
            table.packed.insert(key, ServerJournal::packedRow(select, 1, columns));
        }
        select.reset();
    }

    void readHolders(Table& table, const LookedUp& key, const QSet<QString>& values) {
        if (values.isEmpty())
            return;
        QHash<QString, QList<qint64>>& holders = table.holders[key.position];
        std::vector<QVariant> asked;
        for (const QString& value : values) {
            holders.insert(value, {});
            asked.push_back(value);
        }
        StorageStatement& query = *key.holders;
        query.reset();
        query.bindText(1, ServerSets::texts(asked));
        while (query.next())
            holders[query.text(0)].append(query.integer(1));
        query.reset();
    }

    // The row as this undo has left it so far; false when there is none with that key.
    bool current(Table& table, qint64 key, JournalValues::Row& values) {
        if (const auto packed = table.packed.constFind(key); packed != table.packed.cend()) {
            table.rows.insert(key, JournalValues::unpackRow(*packed));
            table.packed.erase(packed);
        }
        const auto known = table.rows.constFind(key);
        if (known != table.rows.cend()) {
            values = known->value_or(JournalValues::Row());
            return known->has_value();
        }
        table.select->reset();
        table.select->bind(1, key);
        values.clear();
        const bool found = table.select->next();
        if (found)
            for (int i = 0; i < table.shape.columns.size(); ++i)
                values << table.select->stored(i);
        table.select->reset();
        remember(table, key, found ? std::optional(values) : std::nullopt);
        return found;
    }

    // Keeps the row as this undo leaves it, where the catalogue does not show it yet: on a
    // server until the writes go, in a trial for ever. A file's undo writes at once and reads
    // the rows as they stand.
    void remember(Table& table, qint64 key, std::optional<JournalValues::Row> values) {
        if (m_remember)
            table.rows.insert(key, std::move(values));
    }

    QString stockNumber(const Table& table, const JournalValues::Row& values) const {
        return table.stockColumn >= 0 ? values.value(table.stockColumn).toString() : QString();
    }

    void keep(const Table& table, qint64 key, const QString& stock, const QString& column,
              const QVariant& now, const QVariant& runValue, const QString& reason,
              qint64 heldBy = 0) {
        const ColumnKind kind =
            table.shape.kinds.value(table.shape.columns.indexOf(column), ColumnKind::Text);
        m_result.kept.append(
            {table.shape.name, key, stock, column, kind, now, runValue, reason, heldBy});
    }

    // Empty values find no row by them, so any number of rows may share one.
    static bool isLookupValue(const QVariant& value) {
        return !value.isNull() && !value.toString().isEmpty();
    }

    // Another row holding `value` in the looked-up column now, or 0: of the rows holding it
    // before this undo, the first this undo neither deleted nor gave a looked-up value back
    // (every row this undo gives a value is among those).
    qint64 holderOf(Table& table, const LookedUp& key, qint64 row, const QVariant& value) {
        if (!isLookupValue(value))
            return 0;
        const auto mayHold = [&](qint64 other) {
            return other != row && !table.putBack.contains(other) && !table.removed.contains(other);
        };
        if (m_inSets) {
            for (const qint64 other : table.holders[key.position].value(value.toString()))
                if (mayHold(other))
                    return other;
            return 0;
        }
        StorageStatement& holders = *key.holders;
        holders.reset();
        // Bound as the text an import looks for.
        holders.bind(1, QVariant(value.toString()));
        qint64 holder = 0;
        while (holder == 0 && holders.next())
            if (const qint64 other = holders.stored(0).toLongLong(); mayHold(other))
                holder = other;
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
            table.shape.columns.value(position),
            JournalValues::display(value, table.shape.kinds.value(position)));
    }

    void removeAdded(Table& table, const JournalRow& row) {
        if (table.deletedAhead.remove(row.key)) {
            // Deleted by the server, which found every value as the run wrote it.
            m_writes.removed(table.shape, row.key, row.newValues);
            table.rows.insert(row.key, std::nullopt);
            table.removed.insert(row.key);
            ++m_result.rowsDeleted;
            return;
        }
        if (const auto packed = table.packed.constFind(row.key);
            packed != table.packed.cend() && *packed == row.newValues) {
            // Every value as the run wrote it.
            m_writes.remove(table.shape, row.key, *packed);
            table.packed.erase(packed);
            table.rows.insert(row.key, std::nullopt);
            table.removed.insert(row.key);
            ++m_result.rowsDeleted;
            return;
        }
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
        for (int i = 0; i < table.shape.columns.size(); ++i)
            if (!JournalValues::same(now.value(i), wrote.value(i))) {
                unchanged = false;
                keep(table, row.key, stockNumber(table, now), table.shape.columns.at(i),
                     now.value(i), wrote.value(i), u"changed since"_s);
            }
        if (!unchanged)
            return;
        m_writes.remove(table.shape, row.key, now);
        remember(table, row.key, std::nullopt);
        if (m_remember)
            table.removed.insert(row.key);
        ++m_result.rowsDeleted;
    }

    void restoreChanged(Table& table, const JournalRow& row) {
        const JournalValues::Columns before = JournalValues::unpackColumns(row.oldValues);
        const JournalValues::Columns after = JournalValues::unpackColumns(row.newValues);
        JournalValues::Row now;
        if (!current(table, row.key, now)) {
            for (const auto& [position, value] : after)
                keep(table, row.key, QString(), table.shape.columns.value(position), QVariant(),
                     value, u"row deleted since"_s);
            return;
        }
        // The columns set back go in one write.
        const JournalValues::Row standing = now;
        QList<int> positions;
        for (qsizetype i = 0; i < after.size() && i < before.size(); ++i) {
            const int position = after.at(i).first;
            if (!JournalValues::same(now.value(position), after.at(i).second)) {
                keep(table, row.key, stockNumber(table, now), table.shape.columns.value(position),
                     now.value(position), after.at(i).second, u"changed since"_s);
                continue;
            }
            const QVariant& old = before.at(i).second;
            if (const LookedUp* key = lookedUpAt(table, position)) {
                if (const qint64 holder = holderOf(table, *key, row.key, old)) {
                    keep(table, row.key, stockNumber(table, now),
                         table.shape.columns.value(position), now.value(position),
                         after.at(i).second,
                         u"not set back, "_s + heldText(table, position, old, holder), holder);
                    continue;
                }
                table.putBack.insert(row.key);
            }
            positions << position;
            now[position] = old;
        }
        if (positions.isEmpty())
            return;
        m_writes.update(table.shape, row.key, positions, now, standing);
        remember(table, row.key, now);
        if (!table.restored.contains(row.key)) {
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
        table.removed.remove(row.key);
        JournalValues::Row whole = values;
        whole.resize(table.shape.columns.size());
        m_writes.insert(table.shape, row.key, whole);
        remember(table, row.key, whole);
        ++m_result.rowsReinserted;
    }

    static const LookedUp* lookedUpAt(const Table& table, int position) {
        for (const LookedUp& key : table.lookedUp)
            if (key.position == position)
                return &key;
        return nullptr;
    }

    CatalogueDatabase& m_db;
    RunUndo::Result& m_result;
    RunUndoWrites m_writes;
    bool m_inSets;
    bool m_writing;
    bool m_remember;
    QString m_versions;
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
    // A trial only reads: it takes no write lock and needs no right to write, so a user who
    // may only read the catalogue can still see what an undo would do.
    if (!trial)
        db.requireWritable();
    if (!db.hasTable(CatalogueSchema::RunsTable))
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"The catalogue keeps no journal of runs; nothing was changed."_s);
    std::optional<ScopedTransaction> transaction;
    if (trial)
        db.connection().begin(StorageConnection::Intent::Read);
    else
        transaction.emplace(db);
    // A trial's reading transaction ends however the trial does.
    const auto endTrial = qScopeGuard([&] {
        if (trial && db.connection().inTransaction())
            db.connection().rollback();
    });
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
    if (trial) {
        // Decided from the rows as the undo would leave them, which it keeps in memory: the
        // same decisions, nothing written.
        Undoer(db, result, RunUndoWrites::Mode::Nothing).apply(rows);
        return result;
    }
    {
        JournalRun journal(db, JournalRun::Undo, u"run %1"_s.arg(run));
        if (ServerSets::apply(db))
            Undoer(db, result, RunUndoWrites::Mode::InSets, ServerJournal::versionsOf(db, run))
                .apply(rows);
        else
            Undoer(db, result, RunUndoWrites::Mode::AtOnce).apply(rows);
        journal.setTotals(summary(result, false));
        result.undoRun = journal.number();
        db.run(u"UPDATE Runs SET UndoOf = ? WHERE Run = ?"_s, {run, result.undoRun});
        db.run(u"UPDATE Runs SET UndoneBy = ? WHERE Run = ?"_s, {result.undoRun, run});
        // Taking back an undo makes the run it took back stand again.
        if (info->undoOf != 0)
            db.run(u"UPDATE Runs SET UndoneBy = NULL WHERE Run = ?"_s, {info->undoOf});
    }
    transaction->commit();
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
