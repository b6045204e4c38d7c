#include "core/storage/SqliteDialect.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QString textLiteral(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', u"''"_s) + u'\'';
}

} // namespace

// Every table has a rowid unless it was made WITHOUT ROWID, which the catalogue never does.
QString SqliteDialect::rowKey() const {
    return u"rowid"_s;
}

QString SqliteDialect::largestRowKey(const QString& quotedTable) const {
    return u"(SELECT max(rowid) FROM "_s + quotedTable + u')';
}

// A table keyed by its row numbers keeps the largest it gave out in RowKeys (see
// CatalogueSchema::rowKeyStatements); a counter declared AUTOINCREMENT keeps it in
// sqlite_sequence, an ordinary table that may be read and written.
QString SqliteDialect::largestKeyGiven(const QString& table, const QString& keyColumn) const {
    if (keyColumn.compare(rowKey(), Qt::CaseInsensitive) == 0)
        return u"SELECT LastKey FROM RowKeys WHERE TableName = "_s + textLiteral(table);
    return u"SELECT seq FROM sqlite_sequence WHERE name = "_s + textLiteral(table);
}

QStringList SqliteDialect::moveKeysPast(const QString& table, const QString& keyColumn) const {
    const QString name = textLiteral(table);
    if (keyColumn.compare(rowKey(), Qt::CaseInsensitive) == 0)
        return {u"INSERT INTO RowKeys (TableName, LastKey) VALUES ("_s + name +
                u", ?) ON CONFLICT (TableName) DO UPDATE SET LastKey = max(LastKey, "
                u"excluded.LastKey)"_s};
    return {u"INSERT INTO sqlite_sequence (name, seq) SELECT "_s + name +
                u", ? WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = "_s + name +
                u')',
            u"UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = "_s + name};
}

QString SqliteDialect::equalsIgnoringCase(const QString& left, const QString& right) const {
    return left + u" = "_s + right + u" COLLATE NOCASE"_s;
}

// A text column's own NOCASE order is that order already, and its index serves it.
QString SqliteDialect::textOrder(const QString& quotedColumn) const {
    return quotedColumn;
}

// LIKE already ignores the case of ASCII letters here.
QString SqliteDialect::likeIgnoringCase(const QString& text, const QString& pattern) const {
    return text + u" LIKE "_s + pattern;
}

// instr compares characters as they are, so the long s is found only as itself.
QString SqliteDialect::containsLongS(const QString& quotedColumn) const {
    return u"instr("_s + quotedColumn + u", '\u017F') > 0"_s;
}

// Dates are kept as ISO texts, which sort and compare as dates.
QVariant SqliteDialect::dateParameter(const QDate& date) const {
    return date.isValid() ? QVariant(date.toString(Qt::ISODate)) : QVariant();
}

QString SqliteDialect::dateLiteral(const QDate& date) const {
    return date.isValid() ? u'\'' + date.toString(Qt::ISODate) + u'\'' : u"NULL"_s;
}

QString SqliteDialect::insertUnlessPresent(const QString& quotedTable,
                                           const QStringList& quotedColumns) const {
    return u"INSERT OR IGNORE INTO "_s + quotedTable + u" ("_s + quotedColumns.join(u", "_s) +
           u") VALUES ("_s + placeholders(quotedColumns.size()) + u')';
}

QString SqliteDialect::ignoringDuplicates(const QString& insert) const {
    QString statement = insert;
    return statement.replace(0, 6, u"INSERT OR IGNORE"_s);
}

} // namespace tovin
