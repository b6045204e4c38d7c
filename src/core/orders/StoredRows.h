#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace tovin {

class CatalogueDatabase;

// Rows of the order, stock and product tables read and written by column name, with the values
// converted between the file and the program (money, dates, flags) the way the screens see them.
namespace StoredRows {

struct Row {
    qint64 rowId = 0;
    QHash<QString, QVariant> values; // by the column names asked for
    QVariant value(const QString& column) const { return values.value(column); }
};

using Changes = QList<QPair<QString, QVariant>>;

// The rows of `table` whose `keyColumn` equals `key` (compared as text), in file order.
QList<Row> rowsWhere(CatalogueDatabase& db, const QString& table, const QStringList& columns,
                     const QString& keyColumn, const QString& key);
// The first such row, or nothing.
std::optional<Row> firstWhere(CatalogueDatabase& db, const QString& table,
                              const QStringList& columns, const QString& keyColumn,
                              const QString& key);
// The row with that row number, or nothing.
std::optional<Row> rowById(CatalogueDatabase& db, const QString& table, const QStringList& columns,
                           qint64 rowId);
// The rows meeting a fixed SQL condition of the program's own (never typed text), in file
// order; the condition names columns as the file stores them.
QList<Row> rowsMatching(CatalogueDatabase& db, const QString& table, const QStringList& columns,
                        const QString& sqlCondition);
// Every row of the table, in file order.
QList<Row> allRows(CatalogueDatabase& db, const QString& table, const QStringList& columns);
// True when the table holds no row.
bool isEmpty(CatalogueDatabase& db, const QString& table);

// Writes the changes into one row (a refused value raises error 13, nothing is written);
// raises error 3021 when the row is gone.
void update(CatalogueDatabase& db, const QString& table, qint64 rowId, const Changes& changes);
qint64 insert(CatalogueDatabase& db, const QString& table, const Changes& values);

} // namespace StoredRows

} // namespace tovin
