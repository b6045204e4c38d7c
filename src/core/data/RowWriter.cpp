#include "core/data/RowWriter.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/ColumnValues.h"
#include "core/shell/RunTimeError.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace tovin::RowWriter {

namespace {

struct Prepared {
    QStringList names;
    QVariantList values;
};

Prepared prepare(CatalogueDatabase& db, const QString& table, const ColumnValueList& values) {
    const QList<ColumnInfo>& columns = db.columns(table);
    Prepared p;
    for (const auto& [index, value] : values) {
        if (index < 0 || index >= columns.size())
            throw RunTimeError(
                ErrorNumber::ItemNotFound,
                u"Item cannot be found in the collection (column %1 of %2)"_s.arg(index).arg(
                    table));
        const ColumnInfo& column = columns.at(index);
        p.names << CatalogueDatabase::quoteName(column.name);
        p.values << ColumnValues::toStorage(column.kind, value, column.name);
    }
    return p;
}

} // namespace

qint64 insert(CatalogueDatabase& db, const QString& table, const ColumnValueList& values) {
    const Prepared p = prepare(db, table, values);
    const QString name = CatalogueDatabase::quoteName(db.tableName(table));
    QString sql;
    if (p.names.isEmpty()) {
        sql = u"INSERT INTO "_s + name + u" DEFAULT VALUES"_s;
    } else {
        QStringList marks;
        for (qsizetype i = 0; i < p.names.size(); ++i)
            marks << u"?"_s;
        sql = u"INSERT INTO "_s + name + u" ("_s + p.names.join(u", "_s) + u") VALUES ("_s +
              marks.join(u", "_s) + u')';
    }
    QSqlQuery& q = db.run(sql, p.values);
    const qint64 rowId = q.lastInsertId().toLongLong();
    q.finish();
    return rowId;
}

bool update(CatalogueDatabase& db, const QString& table, qint64 rowId,
            const ColumnValueList& values) {
    const Prepared p = prepare(db, table, values);
    if (p.names.isEmpty())
        return true;
    QStringList sets;
    for (const QString& n : p.names)
        sets << n + u" = ?"_s;
    const QString sql = u"UPDATE "_s + CatalogueDatabase::quoteName(db.tableName(table)) +
                        u" SET "_s + sets.join(u", "_s) + u" WHERE rowid = ?"_s;
    QVariantList bound = p.values;
    bound << rowId;
    QSqlQuery& q = db.run(sql, bound);
    const bool changed = q.numRowsAffected() > 0;
    q.finish();
    return changed;
}

bool remove(CatalogueDatabase& db, const QString& table, qint64 rowId) {
    QSqlQuery& q = db.run(u"DELETE FROM "_s + CatalogueDatabase::quoteName(db.tableName(table)) +
                              u" WHERE rowid = ?"_s,
                          {rowId});
    const bool removed = q.numRowsAffected() > 0;
    q.finish();
    return removed;
}

} // namespace tovin::RowWriter
