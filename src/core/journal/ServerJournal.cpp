#include "core/journal/ServerJournal.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/journal/JournalConnection.h"
#include "core/journal/JournalValues.h"
#include "core/journal/ServerSets.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/ChangeCapture.h"
#include "core/storage/PostgresStatement.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ServerJournal {

namespace {

// The value of one column as the catalogue's reading of it gives it: whole numbers for counters,
// money and yes/no, floating numbers for numbers, texts for texts and dates.
// The server keeps every name in small letters, and the row's object names its columns so.
QVariant columnValue(const QJsonObject& row, const ColumnInfo& column, bool& exact) {
    const QJsonValue value = row.value(column.name.toLower());
    if (value.isNull() || value.isUndefined())
        return QVariant();
    switch (column.kind) {
    case ColumnKind::Counter:
    case ColumnKind::Money:
    case ColumnKind::YesNo: {
        // A whole number beyond a double's exact range still reads exactly as an integer.
        const qint64 whole = value.toInteger(std::numeric_limits<qint64>::min());
        if (whole == std::numeric_limits<qint64>::min())
            exact = false;
        return QVariant(qlonglong(whole));
    }
    case ColumnKind::Number:
        if (!value.isDouble())
            exact = false;
        return QVariant(value.toDouble());
    default:
        if (!value.isString())
            exact = false;
        return QVariant(value.toString());
    }
}

JournalValues::Row rowOf(const QByteArray& json, const QList<ColumnInfo>& columns, bool& exact) {
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    JournalValues::Row row;
    row.reserve(columns.size());
    for (const ColumnInfo& column : columns)
        row << columnValue(object, column, exact);
    return row;
}

// The columns whose values differ, each packed with its position; false when none does (an
// update that wrote the same values changes nothing worth taking back).
bool packChanges(QByteArray& before, QByteArray& after, const JournalValues::Row& old,
                 const JournalValues::Row& now) {
    bool any = false;
    for (int column = 0; column < old.size(); ++column) {
        if (JournalValues::same(old.at(column), now.at(column)))
            continue;
        JournalValues::packColumn(before, column, old.at(column));
        JournalValues::packColumn(after, column, now.at(column));
        any = true;
    }
    return any;
}

// The journal's number of a table the trigger names in the server's small letters.
int tableNumber(const JournalBuffer::CurrentRun& current, const QString& name) {
    for (int i = 0; i < current.tables.size(); ++i)
        if (current.tables.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// One change as the trigger kept it.
struct Pending {
    int table = -1; // the journal's number of its table
    RunHistory::Change change = RunHistory::Change::Added;
    qint64 key = 0;
    QByteArray before;  // the row's values before it, as a document; empty for an added row
    QByteArray after;   // its values after it, as a document, where the trigger kept them
    int afterFrom = -1; // the later change of the row whose values before are this one's after
};

// The changes the triggers noted in the transaction, oldest first, in the run's tables.
std::vector<Pending> pendingChanges(CatalogueDatabase& db,
                                    const JournalBuffer::CurrentRun& current) {
    std::vector<Pending> pending;
    StorageStatement& q = db.run(u"SELECT tbl, op, key, CAST(keys AS text), CAST(before AS "
                                 u"text), CAST(after AS text) FROM pg_temp.journal_pending "
                                 u"ORDER BY seq"_s);
    while (q.next()) {
        Pending change;
        change.table = tableNumber(current, q.text(0));
        if (change.table < 0)
            continue;
        change.change = RunHistory::Change(q.integer(1));
        if (q.isNull(3)) {
            change.key = q.integer(2);
            change.before = q.text(4).toUtf8();
            change.after = q.text(5).toUtf8();
            pending.push_back(std::move(change));
            continue;
        }
        // The keys of the rows one statement added, as the server writes a list: "{1,2,3}".
        const QString keys = q.text(3);
        for (const QStringView key :
             QStringView(keys).mid(1, keys.size() - 2).split(u',', Qt::SkipEmptyParts)) {
            bool read = false;
            change.key = key.toLongLong(&read);
            if (!read)
                throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                                       u"The run's journal noted a key that cannot be read: "_s +
                                           key.toString());
            pending.push_back(change);
        }
    }
    q.reset();
    return pending;
}

void appendPending(JournalBuffer::CurrentRun& current, int table, RunHistory::Change change,
                   qint64 key, const QByteArray& before, const QByteArray& after) {
    if (current.pending.isEmpty() || current.pending.last().run != current.run ||
        current.pending.last().full()) {
        current.pending.append(JournalChunks::Chunk());
        current.pending.last().run = current.run;
    }
    JournalChunks::append(current.pending.last(), table, current.tables.at(table), change, key,
                          before, after);
}

using RowKey = std::pair<int, qint64>;

// Points each added or updated row without values after it to the row's next change, whose
// values before are those; the keys of the rows that do not change again, whose values after
// are their values now, come back by table.
QHash<int, QList<qint64>> linkChanges(std::vector<Pending>& pending) {
    QHash<RowKey, int> next;
    QHash<int, QList<qint64>> readNow;
    for (int i = int(pending.size()) - 1; i >= 0; --i) {
        Pending& change = pending[size_t(i)];
        const RowKey row{change.table, change.key};
        if (change.change != RunHistory::Change::Deleted && change.after.isEmpty()) {
            change.afterFrom = next.value(row, -1);
            if (change.afterFrom < 0)
                readNow[change.table].append(change.key);
        }
        // Before it was added the row was not there: nothing earlier ends in its values.
        if (change.change == RunHistory::Change::Added)
            next.remove(row);
        else
            next.insert(row, i);
    }
    return readNow;
}

// One value of a row read from the server, packed as packRow packs what stored() gives.
void packStored(QByteArray& out, const PostgresStatement& read, int column) {
    using Type = PostgresStatement::InPlace::Type;
    const PostgresStatement::InPlace value = read.inPlace(column);
    switch (value.type) {
    case Type::Null:
        JournalValues::appendNull(out);
        return;
    case Type::Integer:
        JournalValues::appendInteger(out, value.integer);
        return;
    case Type::Real:
        JournalValues::appendReal(out, value.real);
        return;
    case Type::Text:
        JournalValues::appendText(out, value.bytes);
        return;
    case Type::Blob:
    case Type::BlobAsItIs:
        JournalValues::appendValue(out, read.stored(column));
        return;
    }
}

// The values now of the rows with these keys in one table, packed, by key. The keys go as one
// range a batch, so a large run reads its rows in a few statements: with the list of them where
// the range holds many other rows too, else alone (the rows a run added lie side by side, and
// the list cost the server as much again as reading them); rows of the range not asked for are
// passed over. The values are packed where the answer holds them, since a large import reads
// every value of every row it added. The versions the rows are in join `versions`.
QHash<qint64, QByteArray> rowsNow(CatalogueDatabase& db, const QString& table,
                                  const QList<ColumnInfo>& columns, const QList<qint64>& keys,
                                  QSet<qint64>& versions) {
    constexpr qsizetype KeysPerRead = 4096;
    // Room for a row of short texts, so that packing it rarely moves it.
    constexpr qsizetype RowBytes = 256;
    QStringList names{u"rowid"_s};
    for (const ColumnInfo& column : columns)
        names << CatalogueDatabase::quoteName(column.name);
    names << u"CAST(CAST(xmin AS text) AS bigint)"_s;
    const int versionColumn = int(columns.size()) + 1;
    const QString inRange = u"SELECT "_s + names.join(u", "_s) + u" FROM "_s +
                            CatalogueDatabase::quoteName(table) + u" WHERE rowid BETWEEN ? AND ?"_s;
    const std::unique_ptr<StorageStatement> readRange = db.prepare(inRange);
    const std::unique_ptr<StorageStatement> readListed =
        db.prepare(inRange + u" AND rowid = ANY(CAST(? AS bigint[]))"_s);
    QList<qint64> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    QHash<qint64, QByteArray> rows;
    rows.reserve(keys.size());
    for (qsizetype from = 0; from < sorted.size(); from += KeysPerRead) {
        const qsizetype end = std::min(sorted.size(), from + KeysPerRead);
        const qint64 first = sorted.at(from);
        const qint64 last = sorted.at(end - 1);
        const bool listed = quint64(last - first) >= quint64(2 * (end - from));
        StorageStatement& read = listed ? *readListed : *readRange;
        read.reset();
        read.bind(1, first);
        read.bind(2, last);
        if (listed) {
            QString array = u"{"_s;
            for (qsizetype i = from; i < end; ++i) {
                if (i > from)
                    array += u',';
                array += QString::number(sorted.at(i));
            }
            array += u'}';
            read.bindText(3, array);
        }
        const auto& server = dynamic_cast<const PostgresStatement&>(read);
        qint64 lastVersion = -1; // the rows one statement wrote share it
        while (read.next()) {
            const qint64 key = read.integer(0);
            if (!listed && !std::binary_search(sorted.begin() + from, sorted.begin() + end, key))
                continue;
            QByteArray& row = rows[key];
            row.reserve(RowBytes);
            for (int column = 1; column <= columns.size(); ++column)
                packStored(row, server, column);
            const qint64 version = read.integer(versionColumn);
            if (version != lastVersion)
                versions.insert(version);
            lastVersion = version;
        }
        read.reset();
    }
    return rows;
}

// The versions the rows the transaction wrote are in, by their transaction's number: every row
// the commit read was written by the transaction itself (its statements each in a savepoint of
// their own, so the numbers are several). A catalogue put on a server by an earlier version has
// no table for them, and a role may lack the right to write it: its runs are undone by
// comparing values, as before.
void keepVersions(CatalogueDatabase& db, JournalBuffer::CurrentRun& current) {
    if (current.versions.isEmpty())
        return;
    if (current.keepsVersions < 0) {
        StorageStatement& may = db.run(
            u"SELECT CAST(coalesce(has_table_privilege(to_regclass('runversions'), 'INSERT') "
            u"AND has_table_privilege(to_regclass('runversions'), 'UPDATE') AND "
            u"has_table_privilege(to_regclass('runversions'), 'SELECT'), false) AS integer)"_s);
        current.keepsVersions = may.next() ? int(may.integer(0)) : 0;
        may.reset();
    }
    if (current.keepsVersions == 1) {
        const std::vector<qint64> versions(current.versions.cbegin(), current.versions.cend());
        // A transaction that writes its journal twice adds to its row.
        db.run(u"INSERT INTO RunVersions (Run, Xact, Server, Versions) SELECT ?, "
               u"txid_current(), CAST(system_identifier AS text), CAST(? AS bigint[]) FROM "
               u"pg_control_system() ON CONFLICT (Run, Xact) DO UPDATE SET Versions = "
               u"RunVersions.Versions || EXCLUDED.Versions"_s,
               {current.run, ServerSets::keys(versions)})
            .reset();
    }
    current.versions.clear();
}

} // namespace

void gather(CatalogueDatabase& db, JournalBuffer::CurrentRun& current) {
    if (current.run == 0 || !db.connection().inTransaction())
        return;
    // A connection made again after it was lost has a new session, without the run's setting
    // or its gathered changes: the run's writes there were not journalled.
    if (!db.connection().changeCapture().capturesRun(current.run))
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"The run's journal was lost with the connection to the server"_s);
    std::vector<Pending> pending = pendingChanges(db, current);
    // Copied: the catalogue's lists of columns may move as it learns of other tables.
    QHash<int, QList<ColumnInfo>> columns;
    for (const Pending& change : pending)
        if (!columns.contains(change.table))
            columns.insert(change.table, db.columns(current.tables.at(change.table)));
    QHash<int, QHash<qint64, QByteArray>> now;
    const QHash<int, QList<qint64>> readNow = linkChanges(pending);
    for (auto it = readNow.begin(); it != readNow.end(); ++it)
        now.insert(it.key(), rowsNow(db, current.tables.at(it.key()), columns.value(it.key()),
                                     it.value(), current.versions));

    bool exact = true;
    // The values a change left, as a document: as the trigger kept them, or as the row's next
    // change found them; none when they are the row's values now.
    const auto documentAfter = [&](const Pending& change) -> const QByteArray* {
        if (!change.after.isEmpty())
            return &change.after;
        if (change.afterFrom >= 0)
            return &pending[size_t(change.afterFrom)].before;
        return nullptr;
    };
    // The row's values now, packed as they were read.
    const auto packedNow = [&](const Pending& change) {
        const auto found = now[change.table].constFind(change.key);
        if (found != now[change.table].cend())
            return *found;
        // Gone without a change the trigger kept: the run's journal would be wrong.
        exact = false;
        return JournalValues::packRow(JournalValues::Row(columns[change.table].size()));
    };
    for (const Pending& change : pending) {
        const QList<ColumnInfo>& of = columns[change.table];
        const QByteArray* document = documentAfter(change);
        QByteArray before;
        QByteArray after;
        if (change.change == RunHistory::Change::Added) {
            after =
                document ? JournalValues::packRow(rowOf(*document, of, exact)) : packedNow(change);
        } else if (change.change == RunHistory::Change::Deleted) {
            before = JournalValues::packRow(rowOf(change.before, of, exact));
        } else if (!packChanges(before, after, rowOf(change.before, of, exact),
                                document ? rowOf(*document, of, exact)
                                         : JournalValues::unpackRow(packedNow(change)))) {
            continue;
        }
        appendPending(current, change.table, change.change, change.key, before, after);
    }
    // Emptied anew rather than its rows deleted: the server never cleans a temporary table up
    // by itself, and the dead rows of every earlier transaction would be read again each time.
    db.run(u"TRUNCATE pg_temp.journal_pending"_s);
    if (!exact)
        current.unreadable = true;
    keepVersions(db, current);
}

void withoutTriggers(CatalogueDatabase& db, const std::function<void()>& write) {
    // Names the journal's tables for the run first, as any write of the run does.
    JournalConnection::currentRun(db);
    db.connection().changeCapture().writeUncaptured(write);
}

void note(CatalogueDatabase& db, const QString& table, RunHistory::Change change, qint64 key,
          const QByteArray& before, const QByteArray& after) {
    JournalBuffer::CurrentRun& current = JournalConnection::currentRun(db);
    if (current.run == 0)
        return;
    const int number = tableNumber(current, table);
    if (number < 0)
        return;
    appendPending(current, number, change, key, before, after);
}

QByteArray packedRow(const StorageStatement& read, int first, int count) {
    const auto& server = dynamic_cast<const PostgresStatement&>(read);
    QByteArray row;
    row.reserve(256);
    for (int column = first; column < first + count; ++column)
        packStored(row, server, column);
    return row;
}

QString versionsOf(CatalogueDatabase& db, qint64 run) {
    StorageStatement& may =
        db.run(u"SELECT CAST(coalesce(has_table_privilege(to_regclass('runversions'), "
               u"'SELECT'), false) AS integer), CAST(system_identifier AS text), "
               u"txid_snapshot_xmax(txid_current_snapshot()) FROM pg_control_system()"_s);
    const bool readable = may.next() && may.integer(0) == 1;
    const QString server = readable ? may.text(1) : QString();
    const qint64 next = readable ? may.integer(2) : 0;
    may.reset();
    if (!readable)
        return {};
    // Within half the round of 32-bit numbers every transaction since has a number of its own,
    // so a row version numbered as one of the run's was made by the run.
    constexpr qint64 Safe = qint64(1) << 31;
    QString versions;
    bool believed = true;
    StorageStatement& kept = db.run(
        u"SELECT Xact, Server, CAST(Versions AS text) FROM RunVersions WHERE Run = ?"_s, {run});
    while (kept.next()) {
        const qint64 made = kept.integer(0);
        if (kept.text(1) != server || made > next || next - made >= Safe)
            believed = false;
        const QString listed = kept.text(2);
        if (listed.size() > 2)
            versions +=
                (versions.isEmpty() ? QString() : u","_s) + listed.mid(1, listed.size() - 2);
    }
    kept.reset();
    if (!believed || versions.isEmpty())
        return {};
    return u'{' + versions + u'}';
}

} // namespace tovin::ServerJournal
