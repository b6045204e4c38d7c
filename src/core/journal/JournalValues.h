#pragma once

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

// Registers the functions the journal's triggers call on this connection:
//   journal_run()              the current run's number, null outside a run;
//   journal_pack(0, v...)      the packed row of the values;
//   journal_pack(1|2, o, n...) for pairs of old and new values, the columns that differ with
//                              their old (1) or new (2) values; null when none differ.
// `currentRun` must outlive the connection's use of the functions.
void registerFunctions(sqlite3* handle, const qint64* currentRun);

} // namespace tovin::JournalValues
