#include "core/journal/RunUndoSetDelete.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/journal/JournalValues.h"
#include "core/journal/ServerJournal.h"
#include "core/journal/ServerSets.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/StorageStatement.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The tags of the journal's packing (see JournalValues): a tag byte, then a zig-zag varint for a
// whole number, eight bytes for a floating number, a varint length and the bytes for a text or
// a blob.
enum Tag : char { NullTag = 0, IntegerTag = 1, RealTag = 2, TextTag = 3, BlobTag = 4 };

bool readVarint(const char*& at, const char* end, quint64& v) {
    v = 0;
    for (int shift = 0; shift < 64 && at < end; shift += 7) {
        const auto b = quint8(*at++);
        v |= quint64(b & 0x7f) << shift;
        if (!(b & 0x80))
            return true;
    }
    return false;
}

// A text the server takes as it is: plain ASCII at once, any other only when it is well-formed
// UTF-8 (which the journal's texts from a server always are).
bool sendable(QByteArrayView text) {
    for (const char c : text)
        if (quint8(c) >= 0x80)
            return QString::fromUtf8(text).toUtf8() == text;
    return true;
}

// A floating number as the server reads it back to the same bits, zero with its sign ("0",
// "-0") as the server writes it out, for comparing a zero by its sign too.
void appendReal(QByteArray& out, double number) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, number);
    out.append(buffer, written.ptr - buffer);
}

void appendWhole(QByteArray& out, qint64 number) {
    char buffer[24];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, number);
    out.append(buffer, written.ptr - buffer);
}

} // namespace

// A value read in place from a packed row, without making a QVariant of it: the rows of a set
// are many, and most of their values only go on as text.
struct RunUndoSetDelete::Cell {
    char tag = NullTag;
    qint64 whole = 0;
    double real = 0;
    QByteArrayView text;

    bool operator==(const Cell& other) const {
        if (tag != other.tag)
            return false;
        switch (tag) {
        case IntegerTag:
            return whole == other.whole;
        case RealTag:
            return std::memcmp(&real, &other.real, sizeof real) == 0;
        case TextTag:
            return text == other.text;
        default:
            return true;
        }
    }
    // The value as the server reads it for the column's type.
    void appendTo(QByteArray& out) const {
        if (tag == IntegerTag)
            appendWhole(out, whole);
        else if (tag == RealTag)
            appendReal(out, real);
        else
            out.append(text.data(), text.size());
    }
    // One element of an array parameter: NULL, or the value's text, quoted.
    void appendElement(QByteArray& array) const {
        if (array.size() > 1)
            array += ',';
        if (tag == NullTag) {
            array += "NULL";
            return;
        }
        array += '"';
        if (tag != TextTag) {
            appendTo(array);
        } else {
            for (const char c : text) {
                if (c == '\\' || c == '"')
                    array += '\\';
                array += c;
            }
        }
        array += '"';
    }
};

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

RunUndoSetDelete::RunUndoSetDelete(CatalogueDatabase& db, const RunUndoWrites::Table& table,
                                   const QString& versions)
    : m_db(db), m_quoted(CatalogueDatabase::quoteName(table.name)),
      m_spelling(PostgresConnection::spelling(table.name.toLower()).toUtf8()),
      m_versions(versions) {
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

// Reads a packed row into `cells` when every value is of the type its column gives back, and
// a floating number is finite (the server calls any two not-a-numbers equal); false for any
// other row, which is left to the caller (one that cannot be read too: the caller raises).
bool RunUndoSetDelete::comparable(const QByteArray& packed, Cell* cells) const {
    const char* at = packed.constData();
    const char* const end = at + packed.size();
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (at >= end)
            return false;
        Cell& cell = cells[i];
        cell.tag = *at++;
        quint64 v = 0;
        switch (cell.tag) {
        case NullTag:
            continue;
        case IntegerTag:
            if (m_columns.at(i).compare != Compare::Whole || !readVarint(at, end, v))
                return false;
            cell.whole = qint64((v >> 1) ^ (~(v & 1) + 1));
            continue;
        case RealTag:
            if (m_columns.at(i).compare != Compare::Real || end - at < qsizetype(sizeof(double)))
                return false;
            std::memcpy(&cell.real, at, sizeof(double));
            at += sizeof(double);
            if (!std::isfinite(cell.real))
                return false;
            continue;
        case TextTag:
            if (m_columns.at(i).compare != Compare::Text || !readVarint(at, end, v) ||
                v > quint64(end - at))
                return false;
            cell.text = QByteArrayView(at, qsizetype(v));
            at += qsizetype(v);
            if (!sendable(cell.text))
                return false;
            continue;
        default:
            return false;
        }
    }
    return at == end;
}

RunUndoSetDelete::Set RunUndoSetDelete::comparableRows(const std::vector<Added>& rows) const {
    Set set;
    const size_t width = size_t(m_columns.size());
    set.keys.reserve(rows.size());
    set.cells.resize(rows.size() * width);
    for (const auto& [key, packed] : rows) {
        if (!comparable(packed, &set.cells[set.keys.size() * width]))
            continue;
        set.keys.push_back(key);
    }
    set.cells.resize(set.keys.size() * width);
    return set;
}

// A column holding one value in every row is compared with that value; the others with an
// array of their values, row by row beside the keys. The rows are found by key, within the
// range of the keys so that no plan reads the table from its start.
RunUndoSetDelete::Deletion RunUndoSetDelete::deletionOf(const Set& set) const {
    const std::vector<qint64>& keys = set.keys;
    const size_t width = size_t(m_columns.size());
    const auto cell = [&](size_t row, qsizetype column) -> const Cell& {
        return set.cells[row * width + size_t(column)];
    };
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
        for (size_t r = 0; key && r < keys.size(); ++r)
            key = cell(r, c).tag == IntegerTag && cell(r, c).whole == keys[r];
        if (key) {
            conditions << mine + u" = v.k"_s;
            continue;
        }
        const Cell& first = cell(0, c);
        bool same = true;
        for (size_t r = 1; same && r < keys.size(); ++r)
            same = cell(r, c) == first;
        if (same && first.tag == NullTag) {
            conditions << mine + u" IS NULL"_s;
            continue;
        }
        if (same) {
            QByteArray constant;
            first.appendTo(constant);
            deletion.constants << QString::fromUtf8(constant);
            switch (column.compare) {
            case Compare::Whole:
                conditions << mine + u" = CAST(? AS bigint)"_s;
                break;
            case Compare::Real:
                // A zero's sign shows in the angle to it from -1: +pi for 0, -pi for -0;
                // cheaper than writing every row's value out as text.
                conditions << mine + u" = CAST(? AS double precision)"_s +
                                  (first.real != 0 ? QString()
                                   : std::signbit(first.real)
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
        QByteArray array("{");
        array.reserve(qsizetype(keys.size()) * 16);
        for (size_t r = 0; r < keys.size(); ++r)
            cell(r, c).appendElement(array);
        array += '}';
        deletion.arrays << QString::fromUtf8(array);
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

RunUndoSetDelete::Planned RunUndoSetDelete::plan(const std::vector<Added>& rows) const {
    Planned planned;
    planned.rows = rows;
    planned.set = comparableRows(planned.rows);
    if (!planned.set.keys.empty())
        planned.deletion = deletionOf(planned.set);
    return planned;
}

// The statement made ahead when it was made for these very rows (the same keys, the same
// packed values), else one made now.
RunUndoSetDelete::Planned RunUndoSetDelete::plannedFor(const std::vector<Added>& rows) {
    std::optional<Planned> ahead = std::exchange(m_planned, std::nullopt);
    const auto same = [](const Added& a, const Added& b) {
        return a.first == b.first && a.second.constData() == b.second.constData() &&
               a.second.size() == b.second.size();
    };
    if (ahead && std::equal(rows.begin(), rows.end(), ahead->rows.begin(), ahead->rows.end(), same))
        return std::move(*ahead);
    return plan(rows);
}

QSet<qint64> RunUndoSetDelete::run(const Planned& planned, const std::vector<Added>& next) {
    const Set& set = planned.set;
    const Deletion& deletion = planned.deletion;
    QSet<qint64> deleted;
    // Made anew for every set, never kept by the server: a kept statement is planned once for
    // any values after a few runs, and that plan, which cannot see how many rows the arrays
    // hold, takes the rows of the key range for few and compares each of them with every
    // element of the arrays (seconds a set). Planned with the set's own arrays the server joins
    // them by key, and planning costs little beside the delete.
    const std::unique_ptr<StorageStatement> statement(m_db.prepare(deletion.sql));
    std::vector<StorageConnection::GroupedRun> runs(1);
    StorageConnection::GroupedRun& remove = runs.front();
    remove.statement = statement.get();
    remove.values.push_back(ServerSets::keys(set.keys));
    for (const QString& array : deletion.arrays)
        remove.values.push_back(array);
    remove.values.push_back(*std::min_element(set.keys.begin(), set.keys.end()));
    remove.values.push_back(*std::max_element(set.keys.begin(), set.keys.end()));
    for (const QString& constant : deletion.constants)
        remove.values.push_back(constant);
    remove.done = [&](StorageStatement& made) {
        while (made.next())
            deleted.insert(made.integer(0));
    };
    // The rows expected next are made ready while the server deletes these.
    const StorageConnection::Meanwhile meanwhile{0, [&] {
                                                     if (!next.empty())
                                                         m_planned = plan(next);
                                                 }};
    ServerJournal::withoutTriggers(m_db, [&] { m_db.connection().runTogether(runs, meanwhile); });
    return deleted;
}

QSet<qint64> RunUndoSetDelete::removeInVersions(qint64 lowest, qint64 highest) {
    if (m_versions.isEmpty())
        return {};
    // Planned with its own values, never kept: the server then sees the versions as a list it
    // can look each row's up in at once, not one to go through row by row.
    const std::unique_ptr<StorageStatement> remove(
        m_db.prepare(u"DELETE FROM "_s + m_quoted +
                     u" WHERE rowid BETWEEN CAST(? AS bigint) AND CAST(? AS bigint) AND xmin = "
                     u"ANY(CAST(? AS xid[])) RETURNING rowid"_s));
    remove->bind(1, lowest);
    remove->bind(2, highest);
    remove->bindText(3, m_versions);
    QSet<qint64> deleted;
    ServerJournal::withoutTriggers(m_db, [&] {
        while (remove->next())
            deleted.insert(remove->integer(0));
    });
    remove->reset();
    tellListeners(deleted);
    return deleted;
}

void RunUndoSetDelete::tellListeners(const QSet<qint64>& deleted) {
    // The statement gives its keys as rows of its own, so the connection does not hear of
    // them as it hears of a plain write's: it is told here, for the other programs and views.
    if (auto* server = dynamic_cast<PostgresConnection*>(&m_db.connection()))
        for (const qint64 key : deleted)
            server->wrote(m_spelling, key);
}

QSet<qint64> RunUndoSetDelete::remove(const std::vector<Added>& rows,
                                      const std::vector<Added>& next) {
    if (!usable())
        return {};
    const Planned planned = plannedFor(rows);
    if (planned.set.keys.empty())
        return {};
    const QSet<qint64> deleted = run(planned, next);
    tellListeners(deleted);
    return deleted;
}

} // namespace tovin
