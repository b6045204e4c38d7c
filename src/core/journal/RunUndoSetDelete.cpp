#include "core/journal/RunUndoSetDelete.h"

#include "core/data/CatalogueDatabase.h"
#include "core/journal/JournalValues.h"
#include "core/journal/ServerJournal.h"
#include "core/journal/ServerSets.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/StorageStatement.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The same value: of one type, whole and floating numbers bit for bit, texts code for code.
bool sameJournalValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (a.typeId() != b.typeId())
        return false;
    if (a.typeId() == QMetaType::Double) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    if (a.typeId() == QMetaType::LongLong)
        return a.toLongLong() == b.toLongLong();
    return a.toString() == b.toString();
}

// A floating number as the server reads it back to the same bits, and zero as the server
// writes it out ("0" or "-0"), for comparing a zero by its sign too.
QString serverFloatText(double number) {
    if (number == 0)
        return std::signbit(number) ? u"-0"_s : u"0"_s;
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

QString comparedText(const QVariant& value) {
    if (value.typeId() == QMetaType::Double)
        return serverFloatText(value.toDouble());
    if (value.typeId() == QMetaType::LongLong)
        return QString::number(value.toLongLong());
    return value.toString();
}

// One element of an array parameter: NULL, or the value's text, quoted.
void appendComparedElement(QString& array, const QVariant& value) {
    if (array.size() > 1)
        array += u',';
    if (value.isNull()) {
        array += u"NULL"_s;
        return;
    }
    QString text = comparedText(value);
    text.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s);
    array += u'"' + text + u'"';
}

} // namespace

// The catalogue's own types and the plain ones they rest on (the type's name as the server
// lists a column). Dates are compared by the text the server gives for them, which is what
// the journal kept.
std::optional<RunUndoSetDelete::Compare> RunUndoSetDelete::compareOf(const QString& type) {
    static const QStringList whole{u"int2"_s,    u"int4"_s,     u"int8"_s,
                                   u"integer"_s, u"currency"_s, u"yesno"_s};
    static const QStringList text{u"text"_s, u"varchar"_s, u"longtext"_s, u"date"_s};
    if (whole.contains(type))
        return Compare::Whole;
    if (type == u"float8"_s)
        return Compare::Real;
    if (text.contains(type))
        return Compare::Text;
    return std::nullopt;
}

RunUndoSetDelete::RunUndoSetDelete(CatalogueDatabase& db, const RunUndoWrites::Table& table)
    : m_db(db), m_quoted(CatalogueDatabase::quoteName(table.name)),
      m_spelling(PostgresConnection::spelling(table.name.toLower()).toUtf8()) {
    QHash<QString, QString> types;
    for (const StoredColumn& column : db.connection().tableColumns(table.name))
        types.insert(column.name.toLower(), column.declaredType.toLower());
    QList<Column> columns;
    for (const QString& name : table.columns) {
        const std::optional<Compare> compare = compareOf(types.value(name.toLower()));
        if (!compare)
            return;
        columns.append({CatalogueDatabase::quoteName(name), *compare});
    }
    m_columns = columns;
}

RunUndoSetDelete::~RunUndoSetDelete() = default;

StorageStatement& RunUndoSetDelete::statement(const QString& sql) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end())
        it = m_statements.insert(sql, std::shared_ptr<StorageStatement>(m_db.prepare(sql)));
    return **it;
}

// Only a row whose every value is of the type its column gives back is compared; any other is
// left to the caller.
bool RunUndoSetDelete::comparable(const JournalValues::Row& row) const {
    if (row.size() != m_columns.size())
        return false;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const QVariant& value = row.at(i);
        if (value.isNull())
            continue;
        const QMetaType::Type type = QMetaType::Type(value.typeId());
        switch (m_columns.at(i).compare) {
        case Compare::Whole:
            if (type != QMetaType::LongLong)
                return false;
            break;
        case Compare::Real:
            // The server calls any two not-a-numbers equal.
            if (type != QMetaType::Double || !std::isfinite(value.toDouble()))
                return false;
            break;
        case Compare::Text:
            if (type != QMetaType::QString)
                return false;
            break;
        }
    }
    return true;
}

RunUndoSetDelete::Set RunUndoSetDelete::comparableRows(const std::vector<Added>& rows) const {
    Set set;
    set.keys.reserve(rows.size());
    set.values.reserve(rows.size());
    for (const auto& [key, packed] : rows) {
        JournalValues::Row row = JournalValues::unpackRow(packed);
        if (!comparable(row))
            continue;
        set.keys.push_back(key);
        set.values.push_back(std::move(row));
    }
    return set;
}

// A column holding one value in every row is compared with that value; the others with an
// array of their values, row by row beside the keys. The rows are found by key, within the
// range of the keys so that no plan reads the table from its start.
RunUndoSetDelete::Deletion RunUndoSetDelete::deletionOf(const Set& set) const {
    const std::vector<qint64>& keys = set.keys;
    const std::vector<JournalValues::Row>& values = set.values;
    Deletion deletion;
    QStringList arrays{u"CAST(? AS bigint[])"_s};
    QStringList names{u"k"_s};
    QStringList conditions{u"t.rowid = v.k"_s,
                           u"t.rowid BETWEEN CAST(? AS bigint) AND CAST(? AS bigint)"_s};
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        const Column& column = m_columns.at(c);
        const QString mine = u"t."_s + column.quoted;
        // The counter column holding the row's key is compared with the key.
        bool key = column.compare == Compare::Whole;
        for (size_t r = 0; key && r < values.size(); ++r)
            key = !values[r].at(c).isNull() && values[r].at(c).toLongLong() == keys[r];
        if (key) {
            conditions << mine + u" = v.k"_s;
            continue;
        }
        const QVariant& first = values.front().at(c);
        bool same = true;
        for (size_t r = 1; same && r < values.size(); ++r)
            same = sameJournalValue(values[r].at(c), first);
        if (same && first.isNull()) {
            conditions << mine + u" IS NULL"_s;
            continue;
        }
        if (same) {
            deletion.constants << comparedText(first);
            switch (column.compare) {
            case Compare::Whole:
                conditions << mine + u" = CAST(? AS bigint)"_s;
                break;
            case Compare::Real:
                // A zero's sign shows in the angle to it from -1: +pi for 0, -pi for -0;
                // cheaper than writing every row's value out as text.
                conditions << mine + u" = CAST(? AS double precision)"_s +
                                  (first.toDouble() != 0 ? QString()
                                   : std::signbit(first.toDouble())
                                       ? u" AND atan2("_s + mine + u", -1) < 0"_s
                                       : u" AND atan2("_s + mine + u", -1) > 0"_s);
                break;
            case Compare::Text:
                conditions << u"CAST("_s + mine +
                                  u" AS text) COLLATE \"C\" = CAST(? AS text) COLLATE \"C\""_s;
                break;
            }
            continue;
        }
        const QString theirs = u"v.c%1"_s.arg(c);
        arrays << u"CAST(? AS text[])"_s;
        names << u"c%1"_s.arg(c);
        QString array = u"{"_s;
        for (const JournalValues::Row& row : values)
            appendComparedElement(array, row.at(c));
        deletion.arrays << array + u'}';
        switch (column.compare) {
        case Compare::Whole:
            conditions << mine + u" IS NOT DISTINCT FROM CAST("_s + theirs + u" AS bigint)"_s;
            break;
        case Compare::Real:
            conditions << mine + u" IS NOT DISTINCT FROM CAST("_s + theirs +
                              u" AS double precision) AND ("_s + mine + u" IS NULL OR "_s + mine +
                              u" <> 0 OR CAST("_s + mine + u" AS text) = "_s + theirs + u')';
            break;
        case Compare::Text:
            conditions << u"CAST("_s + mine + u" AS text) COLLATE \"C\" IS NOT DISTINCT FROM "_s +
                              theirs + u" COLLATE \"C\""_s;
            break;
        }
    }
    deletion.sql = u"DELETE FROM "_s + m_quoted + u" AS t USING unnest("_s + arrays.join(u", "_s) +
                   u") AS v("_s + names.join(u", "_s) + u") WHERE "_s +
                   conditions.join(u" AND "_s) + u" RETURNING t.rowid"_s;
    return deletion;
}

QSet<qint64> RunUndoSetDelete::run(const Deletion& deletion, const Set& set) {
    QSet<qint64> deleted;
    StorageStatement& remove = statement(deletion.sql);
    ServerJournal::withoutTriggers(m_db, [&] {
        remove.reset();
        int place = 1;
        remove.bindText(place++, ServerSets::keys(set.keys));
        for (const QString& array : deletion.arrays)
            remove.bindText(place++, array);
        remove.bind(place++, *std::min_element(set.keys.begin(), set.keys.end()));
        remove.bind(place++, *std::max_element(set.keys.begin(), set.keys.end()));
        for (const QString& constant : deletion.constants)
            remove.bindText(place++, constant);
        while (remove.next())
            deleted.insert(remove.integer(0));
        remove.reset();
    });
    return deleted;
}

QSet<qint64> RunUndoSetDelete::remove(const std::vector<Added>& rows) {
    if (!usable())
        return {};
    const Set set = comparableRows(rows);
    if (set.keys.empty())
        return {};
    const QSet<qint64> deleted = run(deletionOf(set), set);
    // The statement gives its keys as rows of its own, so the connection does not hear of
    // them as it hears of a plain write's: it is told here, for the other programs and views.
    if (auto* server = dynamic_cast<PostgresConnection*>(&m_db.connection()))
        for (const qint64 key : std::as_const(deleted))
            server->wrote(m_spelling, key);
    return deleted;
}

} // namespace tovin
