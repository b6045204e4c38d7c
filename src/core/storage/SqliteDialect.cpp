#include "core/storage/SqliteDialect.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QString placeholders(qsizetype count) {
    QStringList marks;
    for (qsizetype i = 0; i < count; ++i)
        marks << u"?"_s;
    return marks.join(u", "_s);
}

} // namespace

// Every table has a rowid unless it was made WITHOUT ROWID, which the catalogue never does.
QString SqliteDialect::rowKey() const {
    return u"rowid"_s;
}

QString SqliteDialect::largestRowKey(const QString& quotedTable) const {
    return u"(SELECT max(rowid) FROM "_s + quotedTable + u')';
}

QString SqliteDialect::equalsIgnoringCase(const QString& left, const QString& right) const {
    return left + u" = "_s + right + u" COLLATE NOCASE"_s;
}

// LIKE already ignores the case of ASCII letters here.
QString SqliteDialect::likeIgnoringCase(const QString& text, const QString& pattern) const {
    return text + u" LIKE "_s + pattern;
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

QString SqliteDialect::insertOrUpdate(const QString& quotedTable, const QStringList& quotedColumns,
                                      const QStringList& quotedKeyColumns) const {
    QStringList sets;
    for (const QString& column : quotedColumns)
        if (!quotedKeyColumns.contains(column))
            sets << column + u" = excluded."_s + column;
    return u"INSERT INTO "_s + quotedTable + u" ("_s + quotedColumns.join(u", "_s) +
           u") VALUES ("_s + placeholders(quotedColumns.size()) + u") ON CONFLICT ("_s +
           quotedKeyColumns.join(u", "_s) + u") DO "_s +
           (sets.isEmpty() ? u"NOTHING"_s : u"UPDATE SET "_s + sets.join(u", "_s));
}

QString SqliteDialect::ignoringDuplicates(const QString& insert) const {
    QString statement = insert;
    return statement.replace(0, 6, u"INSERT OR IGNORE"_s);
}

} // namespace tovin
