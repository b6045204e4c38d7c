#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace tovin {

class CatalogueDatabase;

// A row's values by column position in the table's own order.
using ColumnValueList = QList<QPair<int, QVariant>>;

// Writes single rows of a table, converting each value for its column first (a value the
// column refuses raises error 13 before anything is written). Callers wrap these in a
// ScopedTransaction when several writes belong together.
namespace RowWriter {

// Adds a row and returns its row number in the file.
qint64 insert(CatalogueDatabase& db, const QString& table, const ColumnValueList& values);
// Changes the given columns of the row with that row number; returns false when the row is gone.
bool update(CatalogueDatabase& db, const QString& table, qint64 rowId,
            const ColumnValueList& values);
// Removes the row; returns false when it was already gone.
bool remove(CatalogueDatabase& db, const QString& table, qint64 rowId);

} // namespace RowWriter

} // namespace tovin
