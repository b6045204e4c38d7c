#include "core/catalogue/RowWriter.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/ColumnValues.h"

#include <QRegularExpression>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin::RowWriter {

namespace {

struct Prepared {
    QStringList names;
    QVariantList values;
};

ColumnKind columnKind(const QList<ColumnInfo>& columns, const QString& name) {
    for (const ColumnInfo& c : columns)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return c.kind;
    return ColumnKind::Text;
}

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

// The columns whose values a refused write would have given twice, as the engine names them
// ("UNIQUE constraint failed: T.a, T.b" from a file, "Key (a, b)=(...) already exists" from a
// server); none for any other refusal.
QStringList duplicatedColumns(const QString& message) {
    static const QString unique = u"UNIQUE constraint failed: "_s;
    if (const qsizetype at = message.indexOf(unique); at >= 0) {
        QStringList columns;
        for (const QString& qualified : message.mid(at + unique.size()).split(u", "_s))
            columns << qualified.section(u'.', 1);
        return columns;
    }
    static const QRegularExpression serverKey(u"Key \\((.+?)\\)=\\(.*\\) already exists"_s);
    const QRegularExpressionMatch match = serverKey.match(message);
    if (!match.hasMatch())
        return {};
    QStringList columns = match.captured(1).split(u", "_s);
    for (QString& column : columns)
        if (column.startsWith(u'"') && column.endsWith(u'"'))
            column = column.mid(1, column.size() - 2).replace(u"\"\""_s, u"\""_s);
    return columns;
}

// Runs a write; a value that is already taken by another row (a duplicate key) is told in plain
// words, naming the column and the value, instead of the database's statement and message.
StorageStatement& runWrite(CatalogueDatabase& db, const QString& sql, const QVariantList& bound,
                           const Prepared& p, const QList<ColumnInfo>& columns) {
    try {
        return db.run(sql, bound);
    } catch (const CatalogueFailure&) {
        throw;
    } catch (const RunTimeError& error) {
        const QStringList duplicated = duplicatedColumns(error.description());
        if (duplicated.isEmpty())
            throw;
        QStringList taken;
        for (const QString& duplicate : duplicated) {
            QString column = duplicate;
            for (const ColumnInfo& info : columns)
                if (info.name.compare(duplicate, Qt::CaseInsensitive) == 0)
                    column = info.name;
            QString text = column;
            for (qsizetype i = 0; i < p.names.size(); ++i)
                if (p.names.at(i) == CatalogueDatabase::quoteName(column))
                    text = column + u" "_s +
                           ColumnValues::fromStorage(columnKind(columns, column), p.values.at(i))
                               .toString();
            taken << text;
        }
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"The "_s + taken.join(u" and "_s) +
                               u" is already taken by another record; give another value."_s);
    }
}

// The key of a new row of a table without a counter key: one past the largest row number the
// table ever gave out, so the number of a deleted row is not given out again. It is computed by
// the inserting statement itself, so it is chosen while the write lock is held even when the
// insert is not part of a longer transaction.
QString nextRowKeyExpression(const StorageDialect& dialect, const QString& quotedTable,
                             const QString& table) {
    const QString literal = u'\'' + QString(table).replace(u'\'', u"''"_s) + u'\'';
    return u"(SELECT max(coalesce((SELECT LastKey FROM RowKeys WHERE TableName = "_s + literal +
           u"), 0), coalesce("_s + dialect.largestRowKey(quotedTable) + u", 0)) + 1)"_s;
}

} // namespace

qint64 insert(CatalogueDatabase& db, const QString& table, const ColumnValueList& values) {
    Prepared p = prepare(db, table, values);
    const QList<ColumnInfo>& columns = db.columns(table);
    const QString realName = db.tableName(table);
    const QString name = CatalogueDatabase::quoteName(realName);
    const bool counterKeyed = std::any_of(columns.begin(), columns.end(), [](const ColumnInfo& c) {
        return c.kind == ColumnKind::Counter;
    });
    QStringList names = p.names;
    QStringList marks;
    for (qsizetype i = 0; i < names.size(); ++i)
        marks << u"?"_s;
    if (!counterKeyed && db.hasTable(CatalogueSchema::RowKeysTable)) {
        names.prepend(db.dialect().rowKey());
        marks.prepend(nextRowKeyExpression(db.dialect(), name, realName));
    }
    QString sql;
    if (names.isEmpty()) {
        sql = u"INSERT INTO "_s + name + u" DEFAULT VALUES"_s;
    } else {
        sql = u"INSERT INTO "_s + name + u" ("_s + names.join(u", "_s) + u") VALUES ("_s +
              marks.join(u", "_s) + u')';
    }
    runWrite(db, sql, p.values, p, columns);
    return db.connection().lastInsertedKey();
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
    runWrite(db, sql, bound, p, db.columns(table));
    return db.connection().rowsChanged() > 0;
}

bool remove(CatalogueDatabase& db, const QString& table, qint64 rowId) {
    db.run(u"DELETE FROM "_s + CatalogueDatabase::quoteName(db.tableName(table)) + u" WHERE "_s +
               db.dialect().rowKey() + u" = ?"_s,
           {rowId});
    return db.connection().rowsChanged() > 0;
}

} // namespace tovin::RowWriter
