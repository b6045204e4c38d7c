#include "core/catalogue/RecordKeys.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"

#include <algorithm>
#include <iterator>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Past this many values read, the cache starts again rather than grow.
constexpr qsizetype RowCacheLimit = 4096;

} // namespace

RecordKeys::RecordKeys() = default;

RecordKeys::~RecordKeys() = default;

void RecordKeys::open(const QString& source, CatalogueDatabase& connection) {
    const SelectText select = SelectText::parse(source);
    const QString table = connection.tableName(select.table);
    if (table.isEmpty())
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"The catalogue has no table named "_s + select.table);
    const QList<ColumnInfo> tableColumns = connection.columns(table);
    QVector<Field> fields;
    auto tableIndex = [&](const QString& name) {
        for (int i = 0; i < tableColumns.size(); ++i)
            if (tableColumns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"Item cannot be found in the collection: "_s + name);
    };
    if (select.columns.isEmpty()) {
        for (int i = 0; i < tableColumns.size(); ++i)
            fields << Field{tableColumns.at(i).name, tableColumns.at(i).kind, i};
    } else {
        for (const QString& name : select.columns) {
            const int i = tableIndex(name);
            fields << Field{tableColumns.at(i).name, tableColumns.at(i).kind, i};
        }
    }
    for (const SortKey& key : select.orderBy)
        tableIndex(key.column);

    m_db = &connection;
    m_select = select;
    m_table = table;
    m_tableColumns = tableColumns;
    m_fields = fields;
}

void RecordKeys::readWhere() {
    m_where = parseTableCondition(m_select.where);
}

void RecordKeys::close() {
    m_fetch.reset();
    m_readRow.reset();
    m_db = nullptr;
    m_select = SelectText();
    m_table.clear();
    m_tableColumns.clear();
    m_fields.clear();
    m_where = Condition();
    m_sortKeys.clear();
    m_filter = Condition();
    m_keys.clear();
    m_view.clear();
    m_added.clear();
    m_positions.clear();
    m_densePositions.clear();
    m_positionsValid = false;
    m_cache.clear();
}

void RecordKeys::dropStatements() {
    m_fetch.reset();
    m_readRow.reset();
}

bool RecordKeys::hasTableColumn(const QString& name) const {
    return std::any_of(m_tableColumns.cbegin(), m_tableColumns.cend(), [&](const ColumnInfo& c) {
        return c.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

Condition RecordKeys::parseTableCondition(const QString& text) const {
    return Condition::parse(text, [this](const QString& name) {
        for (int i = 0; i < m_tableColumns.size(); ++i)
            if (m_tableColumns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return ConditionColumn{i, m_tableColumns.at(i).kind};
        return ConditionColumn{};
    });
}

QString RecordKeys::orderClause() const {
    const QList<SortKey>& keys = m_sortKeys.isEmpty() ? m_select.orderBy : m_sortKeys;
    QStringList parts;
    for (const SortKey& key : keys) {
        QString term = CatalogueDatabase::quoteName(key.column);
        for (const ColumnInfo& c : m_tableColumns)
            if (c.name.compare(key.column, Qt::CaseInsensitive) == 0) {
                term = CatalogueDatabase::quoteName(c.name);
                if (c.kind == ColumnKind::Text || c.kind == ColumnKind::Memo)
                    term = m_db->dialect().textOrder(term);
            }
        parts << term + (key.descending ? u" DESC"_s : QString());
    }
    parts << u"rowid"_s;
    return u" ORDER BY "_s + parts.join(u", "_s);
}

void RecordKeys::readKeys() {
    readKeysUnfiltered();
    applyFilter();
}

void RecordKeys::readKeysUnfiltered() {
    const QList<int> whereColumns = m_where.isEmpty() ? QList<int>() : m_where.columns();
    QString sql = u"SELECT rowid"_s;
    for (int c : whereColumns)
        sql += u", "_s + CatalogueDatabase::quoteName(m_tableColumns.at(c).name);
    sql += u" FROM "_s + CatalogueDatabase::quoteName(m_table) + orderClause();
    const std::unique_ptr<StorageStatement> statement = m_db->prepare(sql);
    std::vector<qint64> keys;
    if (whereColumns.isEmpty()) {
        statement->appendRemainingIntegers(0, keys);
    } else {
        // Column c of the table is column (its place in whereColumns + 1) of the statement.
        QHash<int, int> place;
        for (int i = 0; i < whereColumns.size(); ++i)
            place.insert(whereColumns.at(i), i + 1);
        const ConditionRowAccessor row = [&](int c) {
            return statement->value(place.value(c), m_tableColumns.at(c).kind);
        };
        while (statement->next())
            if (m_where.matches(row))
                keys.push_back(statement->integer(0));
    }
    m_keys = std::move(keys);
    m_cache.clear();
    m_added.clear();
}

void RecordKeys::setFilter(const Condition& filter) {
    m_filter = filter;
    applyFilter();
}

void RecordKeys::applyFilter() {
    if (m_filter.isEmpty()) {
        m_view = m_keys;
    } else {
        const std::vector<qint64> matches = matchingRows(m_filter);
        std::vector<qint64> view;
        view.reserve(matches.size());
        for (qint64 key : m_keys)
            if (std::binary_search(matches.begin(), matches.end(), key))
                view.push_back(key);
        m_view = std::move(view);
    }
    m_positionsValid = false;
}

std::vector<qint64> RecordKeys::readKeysKeepingAdded() {
    std::vector<qint64> previous = std::move(m_view);
    std::vector<qint64> added = std::move(m_added);
    try {
        readKeys();
    } catch (...) {
        m_view = std::move(previous);
        m_added = std::move(added);
        m_positionsValid = false;
        throw;
    }
    if (!added.empty())
        moveAddedToEnd(std::move(added));
    return previous;
}

// What this set added stays at the end of the order, where the screen that added it looks for
// it, in the order it was added.
void RecordKeys::moveAddedToEnd(std::vector<qint64> added) {
    std::vector<qint64> sorted = added;
    std::sort(sorted.begin(), sorted.end());
    const auto isAdded = [&](qint64 key) {
        return std::binary_search(sorted.begin(), sorted.end(), key);
    };
    // Moves the added rows the keys hold to their end, in the order they were added, and gives
    // those rows.
    const auto moveToEnd = [&](std::vector<qint64>& keys) {
        std::vector<qint64> present;
        std::copy_if(keys.begin(), keys.end(), std::back_inserter(present), isAdded);
        std::sort(present.begin(), present.end());
        std::erase_if(keys, isAdded);
        std::vector<qint64> moved;
        for (const qint64 key : added)
            if (std::binary_search(present.begin(), present.end(), key))
                moved.push_back(key);
        keys.insert(keys.end(), moved.begin(), moved.end());
        return moved;
    };
    m_added = moveToEnd(m_keys);
    moveToEnd(m_view);
    m_positionsValid = false;
}

void RecordKeys::append(qint64 rowId) {
    m_keys.push_back(rowId);
    m_view.push_back(rowId);
    m_added.push_back(rowId);
    m_positionsValid = false;
    m_cache.remove(rowId);
}

void RecordKeys::removeAt(int position) {
    const qint64 rowId = m_view.at(size_t(position));
    m_view.erase(m_view.begin() + position);
    m_keys.erase(std::find(m_keys.begin(), m_keys.end(), rowId));
    m_positionsValid = false;
    m_cache.remove(rowId);
}

std::vector<qint64> RecordKeys::matchingRows(const Condition& condition) const {
    if (std::optional<std::vector<qint64>> rows = rowsLookedUp(condition))
        return std::move(*rows);
    return rowsRead(condition, QString(), {});
}

// The rows `where` leaves (every row for an empty one) that the condition matches, ascending.
std::vector<qint64> RecordKeys::rowsRead(const Condition& condition, const QString& where,
                                         const QVariantList& values) const {
    const QList<int> columns = condition.columns();
    QString sql = u"SELECT rowid"_s;
    for (int c : columns)
        sql += u", "_s + CatalogueDatabase::quoteName(m_tableColumns.at(c).name);
    sql += u" FROM "_s + CatalogueDatabase::quoteName(m_table);
    if (!where.isEmpty())
        sql += u" WHERE "_s + where;
    const std::unique_ptr<StorageStatement> statement = m_db->prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        statement->bind(i + 1, values.at(i));
    QHash<int, int> place;
    for (int i = 0; i < columns.size(); ++i)
        place.insert(columns.at(i), i + 1);
    const ConditionRowAccessor row = [&](int c) {
        return statement->value(place.value(c), m_tableColumns.at(c).kind);
    };
    std::vector<qint64> rows;
    while (statement->next())
        if (condition.matches(row))
            rows.push_back(statement->integer(0));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// A condition that requires "column = value" reads only the rows holding that value, through
// the column's index where it has one, and still decides on each of them. A text equality
// ignores letter case, as the column's order may not: the engine says which rows to read.
std::optional<std::vector<qint64>> RecordKeys::rowsLookedUp(const Condition& condition) const {
    for (const Condition::Equality& equality : condition.requiredEqualities()) {
        const QString column =
            CatalogueDatabase::quoteName(m_tableColumns.at(equality.column).name);
        if (equality.value.typeId() == QMetaType::Double) {
            if (!isRowidColumn(equality.column))
                continue;
            return rowsRead(condition, column + u" = ?"_s, {equality.value});
        }
        const std::optional<StorageConnection::TextLookup> lookup =
            m_db->connection().caseInsensitiveLookup(
                m_table, m_tableColumns.at(equality.column).name, equality.value.toString());
        if (!lookup)
            return std::nullopt;
        return rowsRead(condition, lookup->where, lookup->values);
    }
    return std::nullopt;
}

// Only a counter column, the table's row key, holds nothing but whole numbers.
bool RecordKeys::isRowidColumn(int tableColumn) const {
    return m_tableColumns.at(tableColumn).kind == ColumnKind::Counter;
}

int RecordKeys::nearestMatch(const Condition& condition, int from, bool forward) const {
    const int size = this->size();
    int found = forward ? size : -1;
    if (condition.isEmpty()) {
        if (forward && std::max(from, 0) < size)
            found = std::max(from, 0);
        else if (!forward && std::min(from, size - 1) >= 0)
            found = std::min(from, size - 1);
        return found;
    }
    // By the positions of the matching rows rather than by testing the rows in order.
    const std::vector<qint64> matches = matchingRows(condition);
    // A find by stock number matches a row or two: looking for them in the order is quicker than
    // building the position index of a large set for them.
    const bool scan = !m_positionsValid && matches.size() <= 4;
    for (const qint64 row : matches) {
        const int p = scan ? int(std::find(m_view.begin(), m_view.end(), row) - m_view.begin())
                           : positionOf(row);
        if (p < 0 || p >= size)
            continue;
        if (forward && p >= from && p < found)
            found = p;
        else if (!forward && p <= from && p > found)
            found = p;
    }
    return found;
}

void RecordKeys::rebuildPositionIndex() const {
    m_positions.clear();
    m_densePositions.clear();
    m_positionsValid = true;
    if (m_view.empty())
        return;
    const auto [lowest, highest] = std::minmax_element(m_view.begin(), m_view.end());
    const quint64 span = quint64(*highest) - quint64(*lowest);
    if (span < 4 * quint64(m_view.size()) + 1024) {
        m_denseBase = *lowest;
        m_densePositions.assign(size_t(span) + 1, -1);
        for (size_t i = 0; i < m_view.size(); ++i)
            m_densePositions[size_t(m_view[i] - m_denseBase)] = int(i);
        return;
    }
    m_positions.reserve(qsizetype(m_view.size()));
    for (int i = 0; i < int(m_view.size()); ++i)
        m_positions.insert(m_view[size_t(i)], i);
}

int RecordKeys::positionOf(qint64 rowId) const {
    if (!m_positionsValid)
        rebuildPositionIndex();
    if (!m_densePositions.empty()) {
        const quint64 offset = quint64(rowId) - quint64(m_denseBase);
        return offset < m_densePositions.size() ? m_densePositions[size_t(offset)] : -1;
    }
    return m_positions.value(rowId, -1);
}

void RecordKeys::fetchBlock(int position) const {
    if (!m_fetch) {
        QStringList names;
        for (const Field& f : m_fields)
            names << CatalogueDatabase::quoteName(f.name);
        QStringList marks;
        for (int i = 0; i < BlockSize; ++i)
            marks << u"?"_s;
        m_fetch = m_db->prepare(u"SELECT rowid, "_s + names.join(u", "_s) + u" FROM "_s +
                                CatalogueDatabase::quoteName(m_table) + u" WHERE rowid IN ("_s +
                                marks.join(u", "_s) + u')');
    }
    // Read the requested row and the ones after it that are not cached yet.
    QVector<qint64> wanted;
    for (int p = position; p < int(m_view.size()) && wanted.size() < BlockSize; ++p) {
        const qint64 key = m_view[size_t(p)];
        if (p == position || !m_cache.contains(key))
            wanted << key;
    }
    if (m_cache.size() + wanted.size() > RowCacheLimit)
        m_cache.clear();
    m_fetch->reset();
    for (int i = 0; i < BlockSize; ++i)
        m_fetch->bind(i + 1, i < wanted.size() ? wanted.at(i) : qint64(-1));
    while (m_fetch->next()) {
        QVector<QVariant> values(m_fields.size());
        for (int f = 0; f < m_fields.size(); ++f)
            values[f] = m_fetch->value(f + 1, m_fields.at(f).kind);
        const qint64 key = m_fetch->integer(0);
        m_cache.insert(key, values);
    }
    m_fetch->reset();
    // A row another screen deleted meanwhile reads as empty.
    for (qint64 key : wanted)
        if (!m_cache.contains(key))
            m_cache.insert(key, QVector<QVariant>(m_fields.size()));
}

const QVector<QVariant>& RecordKeys::rowValues(int position) const {
    const qint64 key = m_view.at(size_t(position));
    auto it = m_cache.constFind(key);
    if (it == m_cache.constEnd()) {
        fetchBlock(position);
        it = m_cache.constFind(key);
    }
    return *it;
}

std::optional<QVector<QVariant>> RecordKeys::readRowNow(qint64 rowId) const {
    if (!m_readRow) {
        QStringList names;
        for (const Field& f : m_fields)
            names << CatalogueDatabase::quoteName(f.name);
        m_readRow = m_db->prepare(u"SELECT "_s + names.join(u", "_s) + u" FROM "_s +
                                  CatalogueDatabase::quoteName(m_table) + u" WHERE rowid = ?"_s);
    }
    m_readRow->reset();
    m_readRow->bind(1, rowId);
    if (!m_readRow->next())
        return std::nullopt;
    QVector<QVariant> values(m_fields.size());
    for (int f = 0; f < m_fields.size(); ++f)
        values[f] = m_readRow->value(f, m_fields.at(f).kind);
    m_readRow->reset();
    return values;
}

} // namespace tovin
