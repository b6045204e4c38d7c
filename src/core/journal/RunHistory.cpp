#include "core/journal/RunHistory.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/SqliteStatement.h"
#include "core/journal/JournalValues.h"

#include <QDateTime>

using namespace Qt::Literals::StringLiterals;

namespace tovin::RunHistory {

namespace {

const QString RunColumns = u"Run, Kind, Started, Source, Totals, Added, Changed, Deleted, "
                           u"coalesce(UndoOf, 0), coalesce(UndoneBy, 0) FROM Runs"_s;

RunInfo readRun(CatalogueDatabase& db, const SqliteStatement& q) {
    RunInfo info;
    info.number = q.integer(0);
    info.kind = q.stored(1).toString();
    info.started = q.stored(2).toString();
    info.source = q.stored(3).toString();
    info.totals = q.stored(4).toString();
    info.undoOf = q.integer(8);
    info.undoneBy = q.integer(9);
    if (q.isNull(5)) {
        // A run that never ended (killed, or still going) is counted from its rows.
        SqliteStatement count(db.handle(), u"SELECT Change, count(*) FROM RunRows WHERE Seq >= ? "
                                           u"AND Seq < ? GROUP BY Change"_s);
        count.bind(1, JournalValues::firstRowOf(info.number));
        count.bind(2, JournalValues::firstRowOf(info.number + 1));
        while (count.next()) {
            const qint64 n = count.integer(1);
            switch (Change(count.integer(0))) {
            case Change::Added:
                info.added = n;
                break;
            case Change::Changed:
                info.changed = n;
                break;
            case Change::Deleted:
                info.deleted = n;
                break;
            }
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
    SqliteStatement q(db.handle(), u"SELECT "_s + RunColumns + u" ORDER BY Run DESC"_s);
    while (q.next())
        list << readRun(db, q);
    return list;
}

std::optional<RunInfo> run(CatalogueDatabase& db, qint64 number) {
    if (!hasJournal(db))
        return std::nullopt;
    SqliteStatement q(db.handle(), u"SELECT "_s + RunColumns + u" WHERE Run = ?"_s);
    q.bind(1, number);
    if (!q.next())
        return std::nullopt;
    return readRun(db, q);
}

QList<RowChange> rows(CatalogueDatabase& db, qint64 number, qsizetype limit) {
    QList<RowChange> list;
    if (!hasJournal(db))
        return list;
    SqliteStatement q(db.handle(), u"SELECT TableName, RowKey, Change, OldValues, NewValues FROM "
                                   u"RunRows WHERE Seq >= ? AND Seq < ? ORDER BY Seq"_s);
    q.bind(1, JournalValues::firstRowOf(number));
    q.bind(2, JournalValues::firstRowOf(number + 1));
    std::unique_ptr<SqliteStatement> stock;
    while (q.next() && (limit < 0 || list.size() < limit)) {
        RowChange base;
        base.table = q.stored(0).toString();
        base.key = q.integer(1);
        base.change = Change(q.integer(2));
        const QList<ColumnInfo>& columns = db.columns(base.table);
        const bool products = base.table.compare(u"Products"_s, Qt::CaseInsensitive) == 0;
        int stockColumn = -1;
        for (int i = 0; products && i < columns.size(); ++i)
            if (columns.at(i).name.compare(u"StockNo"_s, Qt::CaseInsensitive) == 0)
                stockColumn = i;
        if (base.change != Change::Changed) {
            const JournalValues::Row values = JournalValues::unpackRow(
                q.stored(base.change == Change::Added ? 4 : 3).toByteArray());
            if (stockColumn >= 0)
                base.stockNumber = values.value(stockColumn).toString();
            list << base;
            continue;
        }
        if (stockColumn >= 0) {
            // A changed row's stock number is read as the row stands now.
            if (!stock)
                stock = std::make_unique<SqliteStatement>(
                    db.handle(), u"SELECT StockNo FROM Products WHERE rowid = ?"_s);
            stock->reset();
            stock->bind(1, base.key);
            if (stock->next())
                base.stockNumber = stock->stored(0).toString();
            stock->reset();
        }
        const JournalValues::Columns before =
            JournalValues::unpackColumns(q.stored(3).toByteArray());
        const JournalValues::Columns after =
            JournalValues::unpackColumns(q.stored(4).toByteArray());
        for (qsizetype i = 0; i < after.size() && i < before.size(); ++i) {
            RowChange change = base;
            change.column = columns.value(after.at(i).first).name;
            change.kind = columns.value(after.at(i).first).kind;
            change.oldValue = before.at(i).second;
            change.newValue = after.at(i).second;
            list << change;
        }
    }
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
