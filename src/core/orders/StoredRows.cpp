#include "core/orders/StoredRows.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RowWriter.h"
#include "core/storage/ColumnValues.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::StoredRows {

namespace {

int columnPosition(CatalogueDatabase& db, const QString& table, const QString& column) {
    const QList<ColumnInfo>& columns = db.columns(table);
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).name.compare(column, Qt::CaseInsensitive) == 0)
            return i;
    throw RunTimeError(ErrorNumber::ItemNotFound,
                       u"Table %1 has no column %2"_s.arg(table, column));
}

QList<Row> select(CatalogueDatabase& db, const QString& table, const QStringList& columns,
                  const QString& where, const QVariantList& bound) {
    QStringList names;
    QList<ColumnKind> kinds;
    for (const QString& column : columns) {
        const int position = columnPosition(db, table, column);
        names << CatalogueDatabase::quoteName(db.columns(table).at(position).name);
        kinds << db.columns(table).at(position).kind;
    }
    StorageStatement& q =
        db.run(u"SELECT rowid, "_s + names.join(u", "_s) + u" FROM "_s +
                   CatalogueDatabase::quoteName(db.tableName(table)) + where + u" ORDER BY rowid"_s,
               bound);
    QList<Row> rows;
    while (q.next()) {
        Row row;
        row.rowId = q.value(0).toLongLong();
        for (int i = 0; i < columns.size(); ++i)
            row.values.insert(columns.at(i),
                              ColumnValues::fromStorage(kinds.at(i), q.value(i + 1)));
        rows << row;
    }
    return rows;
}

ColumnValueList positioned(CatalogueDatabase& db, const QString& table, const Changes& changes) {
    ColumnValueList values;
    for (const auto& [column, value] : changes)
        values << qMakePair(columnPosition(db, table, column), value);
    return values;
}

} // namespace

QList<Row> rowsWhere(CatalogueDatabase& db, const QString& table, const QStringList& columns,
                     const QString& keyColumn, const QString& key) {
    const QString name = db.columns(table).at(columnPosition(db, table, keyColumn)).name;
    return select(db, table, columns, u" WHERE "_s + CatalogueDatabase::quoteName(name) + u" = ?"_s,
                  {key});
}

std::optional<Row> firstWhere(CatalogueDatabase& db, const QString& table,
                              const QStringList& columns, const QString& keyColumn,
                              const QString& key) {
    const QList<Row> rows = rowsWhere(db, table, columns, keyColumn, key);
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

std::optional<Row> rowById(CatalogueDatabase& db, const QString& table, const QStringList& columns,
                           qint64 rowId) {
    const QList<Row> rows = select(db, table, columns, u" WHERE rowid = ?"_s, {rowId});
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

QList<Row> rowsMatching(CatalogueDatabase& db, const QString& table, const QStringList& columns,
                        const QString& sqlCondition) {
    return select(db, table, columns, u" WHERE "_s + sqlCondition, {});
}

QList<Row> allRows(CatalogueDatabase& db, const QString& table, const QStringList& columns) {
    return select(db, table, columns, QString(), {});
}

bool isEmpty(CatalogueDatabase& db, const QString& table) {
    return db
        .scalar(u"SELECT NOT EXISTS (SELECT 1 FROM "_s +
                CatalogueDatabase::quoteName(db.tableName(table)) + u')')
        .toBool();
}

void update(CatalogueDatabase& db, const QString& table, qint64 rowId, const Changes& changes) {
    if (!RowWriter::update(db, table, rowId, positioned(db, table, changes)))
        throw RunTimeError(ErrorNumber::NoCurrentRecord,
                           u"The row of table %1 is no longer there."_s.arg(table));
}

qint64 insert(CatalogueDatabase& db, const QString& table, const Changes& values) {
    return RowWriter::insert(db, table, positioned(db, table, values));
}

} // namespace tovin::StoredRows
