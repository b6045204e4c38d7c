#pragma once

#include "core/data/ColumnKind.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <utility>

struct sqlite3;

namespace tovin::JournalValues {

// The values a run wrote are kept as the file stores them, so taking the run back restores them
// bit for bit: a double is not rounded through text, a null stays apart from an empty text.
// A value is a null QVariant, a qlonglong, a double, a QString or a QByteArray.
//
// A packed row is one tagged value after the other; a packed change list puts the column's
// position before each value.
using Row = QList<QVariant>;
using Columns = QList<std::pair<int, QVariant>>;

QByteArray packRow(const Row& values);
Row unpackRow(const QByteArray& packed);
Columns unpackColumns(const QByteArray& packed);

// Equal in type and value (a double bit for bit, a text byte for byte).
bool same(const QVariant& a, const QVariant& b);
// How a value is shown in the history and in the lists of kept edits.
QString display(const QVariant& value);
// The same for a value of a column of that kind: money as the user types it, not in the
// ten-thousandths the file stores.
QString display(const QVariant& value, ColumnKind kind);

// The run in progress on a connection: its number (0 while there is none) and how many rows it
// journalled.
struct CurrentRun {
    qint64 run = 0;
    qint64 rows = 0;
    qint64 last = 0; // the last run that ended on the connection, for the screen that ran it
};

// A run's rows are numbered (RunRows.Seq) from the run's number times 2^32 on, so they are read
// and dropped as one range of the table's key, and the table needs no index of its own, which
// would slow every write of a run.
inline qint64 firstRowOf(qint64 run) {
    return run << 32;
}

// Registers the functions the journal's triggers call on this connection:
//   journal_run()              the current run's number, null outside a run;
//   journal_row()              the number of the run's next row;
//   journal_pack(0, v...)      the packed row of the values;
//   journal_pack(1|2, o, n...) for pairs of old and new values, the columns that differ with
//                              their old (1) or new (2) values; null when none differ.
// `current` must outlive the connection's use of the functions.
void registerFunctions(sqlite3* handle, CurrentRun* current);

} // namespace tovin::JournalValues
