#include "core/storage/StorageDialect.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

QString StorageDialect::quoteName(const QString& name) {
    return u'"' + QString(name).replace(u'"', u"\"\""_s) + u'"';
}

QString StorageDialect::placeholders(qsizetype count) {
    QStringList marks;
    for (qsizetype i = 0; i < count; ++i)
        marks << u"?"_s;
    return marks.join(u", "_s);
}

QString StorageDialect::insertOrUpdate(const QString& quotedTable, const QStringList& quotedColumns,
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

QString StorageDialect::firstRowOfEach(const QString&, const QString&, const QString&) const {
    return QString();
}

QVariant StorageDialect::keyList(const QStringList&) const {
    return QVariant();
}

} // namespace tovin
