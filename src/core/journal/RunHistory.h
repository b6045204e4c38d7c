#pragma once

#include "core/storage/ColumnKind.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

namespace tovin {

class CatalogueDatabase;

// What the journal tells about past runs, for the history command and screen.
namespace RunHistory {

enum class Change { Added = 1, Changed = 2, Deleted = 3 };

struct RunInfo {
    qint64 number = 0;
    QString kind;
    QString started; // UTC, as ISO text
    QString source;
    QString totals;
    qint64 added = 0;
    qint64 changed = 0;
    qint64 deleted = 0;
    qint64 undoOf = 0;   // the run this one took back, 0 for none
    qint64 undoneBy = 0; // the run that took this one back, 0 while it stands
};

// One line of a run's rows: a changed column with its old and new value, or a row added or
// deleted (column empty, the row's values not listed).
struct RowChange {
    QString table;
    qint64 key = 0;
    QString stockNumber; // for Products rows, as the run saw it or as it stands now
    Change change = Change::Changed;
    QString column;
    ColumnKind kind = ColumnKind::Text; // the column's, for showing its values
    QVariant oldValue;
    QVariant newValue;
};

// Every run, newest first.
QList<RunInfo> runs(CatalogueDatabase& db);
std::optional<RunInfo> run(CatalogueDatabase& db, qint64 number);
// The rows of a run in the order it wrote them; at most `limit` lines (all with a negative one).
QList<RowChange> rows(CatalogueDatabase& db, qint64 number, qsizetype limit = -1);

// "12  2026-12-07 08:01  text import  /path/list.txt  3 added, 1 changed, 0 deleted", followed
// by the note the run left under its totals line (the prices an import left as they were), each
// of its lines indented on a line of its own.
QString line(const RunInfo& run);
// "A100  Price: 1.5 -> 2.25"
QString line(const RowChange& change);
// "1.5 -> 2.25", money as the user types it
QString values(const RowChange& change);

} // namespace RunHistory

} // namespace tovin
