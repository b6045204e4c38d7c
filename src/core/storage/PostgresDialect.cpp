#include "core/storage/PostgresDialect.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The sequence a table's keys come from (null for a key the program numbers itself). Tables and
// columns are named in lower case on the server; the table's name is read as a name, the
// column's as it is.
QString sequenceOf(const QString& table, const QString& keyColumn) {
    const auto literal = [](const QString& text) {
        return u'\'' + text.toLower().replace(u'\'', u"''"_s) + u'\'';
    };
    return u"pg_get_serial_sequence("_s +
           literal(u"\""_s + QString(table).replace(u'"', u"\"\""_s) + u'"') + u", "_s +
           literal(keyColumn) + u')';
}

} // namespace

// Every catalogue table on the server has a real column of that name.
QString PostgresDialect::rowKey() const {
    return u"rowid"_s;
}

QString PostgresDialect::largestRowKey(const QString& quotedTable) const {
    return u"(SELECT max(rowid) FROM "_s + quotedTable + u')';
}

// A sequence that never handed out a key has no last value.
QString PostgresDialect::largestKeyGiven(const QString& table, const QString& keyColumn) const {
    return u"SELECT pg_sequence_last_value(CAST("_s + sequenceOf(table, keyColumn) +
           u" AS regclass))"_s;
}

// Sequences stand outside transactions: one moved on stays so even when the copy is rolled back,
// which costs only unused numbers.
QStringList PostgresDialect::moveKeysPast(const QString& table, const QString& keyColumn) const {
    return {u"SELECT setval(CAST(s AS regclass), greatest(CAST(? AS bigint), "
            u"coalesce(pg_sequence_last_value(CAST(s AS regclass)), 0))) FROM (SELECT "_s +
            sequenceOf(table, keyColumn) + u" AS s) AS key WHERE s IS NOT NULL"_s};
}

// A sequence is read with a right of its own, which granting SELECT on the tables does not give.
QString PostgresDialect::keyMarkHidden(const QString& table, const QString& keyColumn) const {
    return u"SELECT coalesce(NOT has_sequence_privilege(s, 'SELECT, USAGE'), false) "
           u"FROM (SELECT "_s +
           sequenceOf(table, keyColumn) + u" AS s) AS key"_s;
}

QString PostgresDialect::equalsIgnoringCase(const QString& left, const QString& right) const {
    return left + u" = "_s + right + u" COLLATE nocase"_s;
}

QString PostgresDialect::holdsLongS(const QString& quotedColumn) {
    return u"strpos(("_s + quotedColumn + u") COLLATE \"C\", '\u017F') > 0"_s;
}

QString PostgresDialect::containsLongS(const QString& quotedColumn) const {
    return holdsLongS(quotedColumn);
}

// The columns' own order on the server knows more letters than the alphabet's and sorts by
// language; lowering only the alphabet's letters and comparing the characters' numbers gives
// the file's order.
QString PostgresDialect::textOrder(const QString& quotedColumn) const {
    return u"lower(("_s + quotedColumn + u") COLLATE \"C\") COLLATE \"C\""_s;
}

// The case-blind collation of the text columns does not allow LIKE; the byte order does, and
// ILIKE under it folds the case of ASCII letters only, as the file's LIKE does. No escape
// character either, as there.
QString PostgresDialect::likeIgnoringCase(const QString& text, const QString& pattern) const {
    return u"("_s + text + u") COLLATE \"C\" ILIKE "_s + pattern + u" ESCAPE ''"_s;
}

// A date column takes the ISO text and gives it back the same way (the connection sets ISO).
QVariant PostgresDialect::dateParameter(const QDate& date) const {
    return date.isValid() ? QVariant(date.toString(Qt::ISODate)) : QVariant();
}

QString PostgresDialect::dateLiteral(const QDate& date) const {
    return date.isValid() ? u"DATE '"_s + date.toString(Qt::ISODate) + u'\'' : u"NULL"_s;
}

QString PostgresDialect::insertUnlessPresent(const QString& quotedTable,
                                             const QStringList& quotedColumns) const {
    return u"INSERT INTO "_s + quotedTable + u" ("_s + quotedColumns.join(u", "_s) +
           u") VALUES ("_s + placeholders(quotedColumns.size()) + u") ON CONFLICT DO NOTHING"_s;
}

QString PostgresDialect::ignoringDuplicates(const QString& insert) const {
    return insert + u" ON CONFLICT DO NOTHING"_s;
}

// Each key's own lookup, as the single one is planned (through the key column's index), run for
// every key of the array in one statement: a lookup sent alone costs the server more in
// receiving and answering it than in finding the row.
QString PostgresDialect::firstRowOfEach(const QString& columns, const QString& quotedTable,
                                        const QString& quotedKeyColumn) const {
    return u"SELECT f.*, k.n FROM unnest(CAST(? AS text[])) WITH ORDINALITY AS k(v, n) "
           u"CROSS JOIN LATERAL (SELECT "_s +
           columns + u" FROM "_s + quotedTable + u" WHERE "_s + quotedKeyColumn +
           u" = k.v LIMIT 1) AS f"_s;
}

// Every key is quoted, so that spaces, commas, braces and the word NULL stay part of it; inside
// the quotes a backslash keeps the next character as it is.
QVariant PostgresDialect::keyList(const QStringList& keys) const {
    QString list = u"{"_s;
    for (const QString& key : keys) {
        if (list.size() > 1)
            list += u',';
        list += u'"';
        for (const QChar c : key) {
            if (c == u'"' || c == u'\\')
                list += u'\\';
            list += c;
        }
        list += u'"';
    }
    list += u'}';
    return list;
}

} // namespace tovin
