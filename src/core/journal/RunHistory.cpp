#include "core/journal/RunHistory.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/JournalChunks.h"
#include "core/journal/JournalValues.h"
#include "core/storage/StorageStatement.h"

#include <QDateTime>

using namespace Qt::Literals::StringLiterals;

namespace tovin::RunHistory {

namespace {

const QString RunColumns = u"Run, Kind, Started, Source, Totals, Added, Changed, Deleted, "
                           u"coalesce(UndoOf, 0), coalesce(UndoneBy, 0) FROM Runs"_s;

RunInfo readRun(CatalogueDatabase& db, const StorageStatement& q) {
    RunInfo info;
    info.number = q.integer(0);
    info.kind = q.stored(1).toString();
    info.started = q.stored(2).toString();
    info.source = q.stored(3).toString();
    info.totals = q.stored(4).toString();
    info.undoOf = q.integer(8);
    info.undoneBy = q.integer(9);
    if (q.isNull(5)) {
        // A run that never ended (killed, or still going) is counted from its chunks.
        const std::unique_ptr<StorageStatement> count =
            db.prepare(u"SELECT coalesce(sum(Added), 0), "
                       u"coalesce(sum(Changed), 0), coalesce(sum(Deleted), 0) "
                       u"FROM RunRows WHERE Seq >= ? AND Seq < ?"_s);
        count->bind(1, JournalValues::firstRowOf(info.number));
        count->bind(2, JournalValues::firstRowOf(info.number + 1));
        if (count->next()) {
            info.added = count->integer(0);
            info.changed = count->integer(1);
            info.deleted = count->integer(2);
        }
    } else {
        info.added = q.integer(5);
        info.changed = q.integer(6);
        info.deleted = q.integer(7);
    }
    return info;
}

bool hasJournal(CatalogueDatabase& db) {
    return db.hasTable(CatalogueSchema::RunsTable);
}

} // namespace

QList<RunInfo> runs(CatalogueDatabase& db) {
    QList<RunInfo> list;
    if (!hasJournal(db))
        return list;
    const std::unique_ptr<StorageStatement> q =
        db.prepare(u"SELECT "_s + RunColumns + u" ORDER BY Run DESC"_s);
    while (q->next())
        list << readRun(db, *q);
    return list;
}

std::optional<RunInfo> run(CatalogueDatabase& db, qint64 number) {
    if (!hasJournal(db))
        return std::nullopt;
    const std::unique_ptr<StorageStatement> q =
        db.prepare(u"SELECT "_s + RunColumns + u" WHERE Run = ?"_s);
    q->bind(1, number);
    if (!q->next())
        return std::nullopt;
    return readRun(db, *q);
}

QList<RowChange> rows(CatalogueDatabase& db, qint64 number, qsizetype limit) {
    QList<RowChange> list;
    if (!hasJournal(db))
        return list;
    std::unique_ptr<StorageStatement> stock;
    JournalChunks::forEach(db, number, [&](JournalChunks::Entry& entry) {
        if (limit >= 0 && list.size() >= limit)
            return false;
        RowChange base;
        base.table = entry.table;
        base.key = entry.key;
        base.change = entry.change;
        const QList<ColumnInfo>& columns = db.columns(base.table);
        const bool products = base.table.compare(u"Products"_s, Qt::CaseInsensitive) == 0;
        int stockColumn = -1;
        for (int i = 0; products && i < columns.size(); ++i)
            if (columns.at(i).name.compare(u"StockNo"_s, Qt::CaseInsensitive) == 0)
                stockColumn = i;
        if (base.change != Change::Changed) {
            const JournalValues::Row values = JournalValues::unpackRow(
                base.change == Change::Added ? entry.newValues : entry.oldValues);
            if (stockColumn >= 0)
                base.stockNumber = values.value(stockColumn).toString();
            list << base;
            return true;
        }
        if (stockColumn >= 0) {
            // A changed row's stock number is read as the row stands now.
            if (!stock)
                stock = db.prepare(u"SELECT StockNo FROM Products WHERE rowid = ?"_s);
            stock->reset();
            stock->bind(1, base.key);
            if (stock->next())
                base.stockNumber = stock->stored(0).toString();
            stock->reset();
        }
        const JournalValues::Columns before = JournalValues::unpackColumns(entry.oldValues);
        const JournalValues::Columns after = JournalValues::unpackColumns(entry.newValues);
        for (qsizetype i = 0; i < after.size() && i < before.size(); ++i) {
            RowChange change = base;
            change.column = columns.value(after.at(i).first).name;
            change.kind = columns.value(after.at(i).first).kind;
            change.oldValue = before.at(i).second;
            change.newValue = after.at(i).second;
            list << change;
        }
        return true;
    });
    return list;
}

QString line(const RunInfo& run) {
    const QDateTime started = QDateTime::fromString(run.started, Qt::ISODate);
    QString text =
        u"%1  %2  %3  %4  %5 added, %6 changed, %7 deleted"_s.arg(run.number)
            .arg(started.isValid() ? started.toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s)
                                   : run.started,
                 run.kind, run.source.isEmpty() ? u"-"_s : run.source)
            .arg(run.added)
            .arg(run.changed)
            .arg(run.deleted);
    if (run.undoOf != 0)
        text += u"  (undoes run %1)"_s.arg(run.undoOf);
    if (run.undoneBy != 0)
        text += u"  undone by run %1"_s.arg(run.undoneBy);
    const qsizetype noteStart = run.totals.indexOf(u'\n');
    if (noteStart >= 0)
        for (const QString& note : run.totals.mid(noteStart + 1).split(u'\n'))
            text += u"\n    "_s + note;
    return text;
}

QString line(const RowChange& change) {
    const QString who = change.stockNumber.isEmpty()
                            ? change.table + u" row "_s + QString::number(change.key)
                            : change.stockNumber;
    switch (change.change) {
    case Change::Added:
        return who + u"  added"_s;
    case Change::Deleted:
        return who + u"  deleted"_s;
    case Change::Changed:
        break;
    }
    return who + u"  "_s + change.column + u": "_s + values(change);
}

QString values(const RowChange& change) {
    return JournalValues::display(change.oldValue, change.kind) + u" -> "_s +
           JournalValues::display(change.newValue, change.kind);
}

} // namespace tovin::RunHistory
