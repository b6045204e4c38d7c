#pragma once

#include "core/storage/ChangeCapture.h"
#include "core/storage/ColumnKind.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariant>
#include <utility>

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
// Appends one value of a packed row: any value, or one of a kind already known (a text given
// in UTF-8), which spares a reader of many rows making a QVariant of each value.
void appendValue(QByteArray& out, const QVariant& value);
void appendNull(QByteArray& out);
void appendInteger(QByteArray& out, qint64 value);
void appendReal(QByteArray& out, double value);
void appendText(QByteArray& out, QByteArrayView utf8);
// Appends one column of a packed change list: its position, then its value.
void packColumn(QByteArray& out, int column, const QVariant& value);
Row unpackRow(const QByteArray& packed);
Columns unpackColumns(const QByteArray& packed);

// Equal in type and value (a double bit for bit, a text byte for byte).
bool same(const QVariant& a, const QVariant& b);
// How a value is shown in the history and in the lists of kept edits.
QString display(const QVariant& value);
// The same for a value of a column of that kind: money as the user types it, not in the
// ten-thousandths the file stores.
QString display(const QVariant& value, ColumnKind kind);

// A run's chunks of changes are numbered (RunRows.Seq) from the run's number times 2^32 on, so
// they are read and dropped as one range of the table's key, and the table needs no index of its
// own.
inline qint64 firstRowOf(qint64 run) {
    return run << 32;
}

// The packing straight from the values the engine captured, so nothing is converted on the way:
// every value of a row; or of a row's values before and after a change, the columns that differ
// with their old values in `before` and their new ones in `after` (false when none differ).
void packCapturedRow(QByteArray& out, ChangeCapture::Values values);
bool packCapturedChanges(QByteArray& before, QByteArray& after, ChangeCapture::Values old,
                         ChangeCapture::Values now);

// Whole numbers and lengths as the packing writes them: seven bits a byte.
void appendVarint(QByteArray& out, quint64 v);

// Reads packed values one after the other; raises for a packed text that ends early.
class Reader {
public:
    explicit Reader(const QByteArray& packed) : m_data(packed) {}
    bool atEnd() const { return m_at >= m_data.size(); }
    quint64 varint();
    QVariant value();
    // The next `size` bytes as they are.
    QByteArray bytes(quint64 size);
    char byte();

private:
    void need(qsizetype bytes) const;
    const QByteArray& m_data;
    qsizetype m_at = 0;
};

} // namespace tovin::JournalValues
