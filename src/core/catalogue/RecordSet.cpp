#include "core/catalogue/RecordSet.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RowWriter.h"
#include "core/storage/CatalogueChanges.h"
#include "core/storage/ColumnValues.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <iterator>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// A typed value as the file would give it back once written (a date typed as text reads back as
// a date); a value the column refuses gives null.
QVariant asStored(ColumnKind kind, const QVariant& value) {
    try {
        return ColumnValues::fromStorage(kind, ColumnValues::toStorage(kind, value));
    } catch (const RunTimeError&) {
        return QVariant();
    }
}

constexpr int FetchBlock = 64;
constexpr qsizetype CacheLimit = 4096;

[[noreturn]] void noCurrentRecord() {
    throw RunTimeError(ErrorNumber::NoCurrentRecord,
                       u"Either BOF or EOF is True, or the current record has been deleted. "
                       u"Requested operation requires a current record."_s);
}

} // namespace

RecordSet::RecordSet(QObject* parent) : QObject(parent) {}

RecordSet::~RecordSet() = default;

void RecordSet::checkOpen() const {
    if (!m_db)
        throw RunTimeError(ErrorNumber::OperationNotAllowed,
                           u"Operation is not allowed when the object is closed."_s);
}

void RecordSet::open(const QString& source, CatalogueDatabase& connection) {
    close();
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
    m_source = source;
    m_select = select;
    m_table = table;
    m_tableColumns = tableColumns;
    m_fields = fields;
    try {
        m_where = parseTableCondition(select.where);
        readKeys();
    } catch (...) {
        close();
        throw;
    }
    m_catalogue = connection.identity();
    m_changes = connect(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged, this,
                        &RecordSet::rowsWritten);
    m_reconnected = connect(&CatalogueChanges::instance(), &CatalogueChanges::connectionBack, this,
                            &RecordSet::connectionBack);
    m_position = m_view.empty() ? -1 : 0;
    arrive(m_position);
}

void RecordSet::rowsWritten(const QString& catalogue, const QString& table,
                            const QList<qint64>& rows) {
    if (!m_db || m_writing || catalogue != m_catalogue ||
        table.compare(m_table, Qt::CaseInsensitive) != 0)
        return;
    // Told from the event loop, which must never see an error: a connection lost on the way
    // leaves the rows to be read again with the next move, which tells the user why it fails.
    try {
        QList<int> positions;
        const bool joinedOrLeft = rowsJoinedOrLeft(rows, positions);
        for (const qint64 rowId : rows)
            m_cache.remove(rowId);
        if (joinedOrLeft) {
            // The count and the order follow at once, unless the user is typing into a row: the
            // rows are then taken in when that row is written, dropped or left. A screen answering
            // this set's own moves may write meanwhile: that write is taken in once events run.
            m_rereadDue = true;
            if (takeInRowsIfDue())
                return;
        }
        for (const int position : positions) {
            if (position == m_position && !m_adding && !m_onDeletedRow && m_changed.isEmpty()) {
                m_edit = rowValues(m_position);
                m_read = m_edit;
            }
            emit rowUpdated(position);
        }
    } catch (const RunTimeError&) {
        for (const qint64 rowId : rows)
            m_cache.remove(rowId);
        m_rereadDue = true;
    }
}

// Changes other computers made while the connection was lost were never told: every row is read
// again. The connection that is back may be another screen's, in the middle of a statement of
// its own, and each connection to the catalogue says it is back: the rows are read once events
// run, once for all of them.
void RecordSet::connectionBack(const QString& catalogue) {
    if (!m_db || catalogue != m_catalogue || m_readAgainQueued)
        return;
    m_readAgainQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_readAgainQueued = false;
            try {
                readAgain();
            } catch (const RunTimeError&) {
                // The server went away again: the rows are read with the next move, which tells
                // the user why it fails.
            }
        },
        Qt::QueuedConnection);
}

void RecordSet::readAgain() {
    if (!m_db)
        return;
    m_rereadDue = true;
    takeInRowsIfDue();
}

// Whether a write added rows the set does not hold (new ones, or ones that may now meet its
// where and filter) or removed rows it holds. The positions of the held rows it names go to
// `held`, sorted and unique.
bool RecordSet::rowsJoinedOrLeft(const QList<qint64>& rows, QList<int>& held) const {
    bool joined = false;
    held.reserve(rows.size());
    for (const qint64 rowId : rows) {
        if (const int position = positionOf(rowId); position >= 0)
            held << position;
        else
            joined = true;
    }
    // An import reports a hundred thousand rows at once: sorted and made unique in one go.
    std::sort(held.begin(), held.end());
    held.erase(std::unique(held.begin(), held.end()), held.end());
    if (joined)
        return true;
    // Whether a held row is still in the file is asked row by row; past a block of rows one
    // read of every key costs less.
    if (held.size() > FetchBlock)
        return true;
    return std::any_of(held.cbegin(), held.cend(),
                       [this](int position) { return !readRowNow(m_view[size_t(position)]); });
}

// Reads the keys again and puts the cursor back where it was: on the same row, or, when that
// row left, on the gap before the next row that stayed (before the first row and after the last
// stay where they were).
void RecordSet::rereadKeys() {
    const QScopedValueRollback rereading(m_rereading, true);
    const bool beforeFirst = m_position < 0;
    const size_t from = size_t(std::max(m_position, 0));
    const bool onRow = !m_adding && !m_onDeletedRow && from < m_view.size();
    std::vector<qint64> previous = std::move(m_view);
    std::vector<qint64> appended = std::move(m_appended);
    try {
        readKeys();
    } catch (...) {
        // The set stays as it was, with the keys still to be read.
        m_view = std::move(previous);
        m_appended = std::move(appended);
        m_positionsValid = false;
        m_rereadDue = true;
        throw;
    }
    if (!appended.empty()) {
        // What this set added stays at its end, where the screen that added it looks for it.
        std::vector<qint64> sorted = appended;
        std::sort(sorted.begin(), sorted.end());
        const auto isAppended = [&](qint64 key) {
            return std::binary_search(sorted.begin(), sorted.end(), key);
        };
        // Moves the added rows the keys hold to their end, in the order they were added, and
        // gives those rows.
        const auto moveToEnd = [&](std::vector<qint64>& keys) {
            std::vector<qint64> present;
            std::copy_if(keys.begin(), keys.end(), std::back_inserter(present), isAppended);
            std::sort(present.begin(), present.end());
            std::erase_if(keys, isAppended);
            std::vector<qint64> moved;
            for (const qint64 key : appended)
                if (std::binary_search(present.begin(), present.end(), key))
                    moved.push_back(key);
            keys.insert(keys.end(), moved.begin(), moved.end());
            return moved;
        };
        m_appended = moveToEnd(m_keys);
        moveToEnd(m_view);
        m_positionsValid = false;
    }
    int position = int(m_view.size());
    for (size_t p = from; p < previous.size(); ++p) {
        if (const int q = positionOf(previous[p]); q >= 0) {
            position = q;
            break;
        }
    }
    m_onDeletedRow = m_onDeletedRow || (onRow && positionOf(previous[from]) < 0);
    m_position = beforeFirst ? -1 : position;
    m_rowsReplaced = false;
    emit rowsReset();
}

// Takes in the rows that joined or left unless a row is being typed into. Within a re-read of
// this set's own (a screen answering its move wrote meanwhile) they are taken in once events
// run. Whether they were taken in now.
bool RecordSet::takeInRowsIfDue() {
    if (!m_rereadDue || isDirty())
        return false;
    if (!m_rereading) {
        takeInRows();
        return true;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_db || m_rereading)
                return;
            try {
                takeInRowsIfDue();
            } catch (const RunTimeError&) {
                // The rows stay due (see rereadKeys): taken in with the next move.
            }
        },
        Qt::QueuedConnection);
    return false;
}

// Rows joined or left while the user was only looking: the set shows them now, staying on its
// row, or moving to the next one when its row left.
void RecordSet::takeInRows() {
    const QScopedValueRollback rereading(m_rereading, true);
    const bool wasEmpty = m_view.empty();
    rereadKeys();
    const int size = int(m_view.size());
    int position = m_position;
    if (wasEmpty)
        position = size > 0 ? 0 : -1;
    else if (m_onDeletedRow)
        position = std::min(m_position, size - 1);
    arrive(position);
}

void RecordSet::close() {
    disconnect(m_changes);
    disconnect(m_reconnected);
    m_catalogue.clear();
    m_fetch.reset();
    m_readRow.reset();
    m_db = nullptr;
    m_source.clear();
    m_select = SelectText();
    m_table.clear();
    m_tableColumns.clear();
    m_fields.clear();
    m_where = Condition();
    m_sortKeys.clear();
    m_sortText.clear();
    m_filterText.clear();
    m_filter = Condition();
    m_keys.clear();
    m_view.clear();
    m_positions.clear();
    m_densePositions.clear();
    m_positionsValid = false;
    m_position = -1;
    m_onDeletedRow = false;
    m_adding = false;
    m_edit.clear();
    m_changed.clear();
    m_cache.clear();
    m_read.clear();
    m_readRow.reset();
    m_rowsReplaced = false;
    m_rereadDue = false;
    m_appended.clear();
    emit rowsReset();
}

QString RecordSet::fieldName(int index) const {
    if (index < 0 || index >= m_fields.size())
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"Item cannot be found in the collection (field %1)"_s.arg(index));
    return m_fields.at(index).name;
}

ColumnKind RecordSet::fieldKind(int index) const {
    if (index < 0 || index >= m_fields.size())
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"Item cannot be found in the collection (field %1)"_s.arg(index));
    return m_fields.at(index).kind;
}

int RecordSet::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Condition RecordSet::parseTableCondition(const QString& text) const {
    return Condition::parse(text, [this](const QString& name) {
        for (int i = 0; i < m_tableColumns.size(); ++i)
            if (m_tableColumns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return ConditionColumn{i, m_tableColumns.at(i).kind};
        return ConditionColumn{};
    });
}

QString RecordSet::orderClause() const {
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

void RecordSet::readKeys() {
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
    m_appended.clear();
    m_rereadDue = false;
    applyFilter();
}

std::vector<qint64> RecordSet::matchingRows(const Condition& condition) const {
    if (std::optional<std::vector<qint64>> rows = rowsLookedUp(condition))
        return std::move(*rows);
    return rowsRead(condition, QString(), {});
}

// The rows `where` leaves (every row for an empty one) that the condition matches, ascending.
std::vector<qint64> RecordSet::rowsRead(const Condition& condition, const QString& where,
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
std::optional<std::vector<qint64>> RecordSet::rowsLookedUp(const Condition& condition) const {
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
bool RecordSet::isRowidColumn(int tableColumn) const {
    return m_tableColumns.at(tableColumn).kind == ColumnKind::Counter;
}

void RecordSet::applyFilter() {
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
    m_rowsReplaced = true;
}

void RecordSet::rebuildPositionIndex() const {
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

int RecordSet::positionOf(qint64 rowId) const {
    if (!m_positionsValid)
        rebuildPositionIndex();
    if (!m_densePositions.empty()) {
        const quint64 offset = quint64(rowId) - quint64(m_denseBase);
        return offset < m_densePositions.size() ? m_densePositions[size_t(offset)] : -1;
    }
    return m_positions.value(rowId, -1);
}

void RecordSet::fetchBlock(int position) const {
    if (!m_fetch) {
        QStringList names;
        for (const Field& f : m_fields)
            names << CatalogueDatabase::quoteName(f.name);
        QStringList marks;
        for (int i = 0; i < FetchBlock; ++i)
            marks << u"?"_s;
        m_fetch = m_db->prepare(u"SELECT rowid, "_s + names.join(u", "_s) + u" FROM "_s +
                                CatalogueDatabase::quoteName(m_table) + u" WHERE rowid IN ("_s +
                                marks.join(u", "_s) + u')');
    }
    // Read the requested row and the ones after it that are not cached yet.
    QVector<qint64> wanted;
    for (int p = position; p < int(m_view.size()) && wanted.size() < FetchBlock; ++p) {
        const qint64 key = m_view[size_t(p)];
        if (p == position || !m_cache.contains(key))
            wanted << key;
    }
    if (m_cache.size() + wanted.size() > CacheLimit)
        m_cache.clear();
    m_fetch->reset();
    for (int i = 0; i < FetchBlock; ++i)
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

const QVector<QVariant>& RecordSet::rowValues(int position) const {
    const qint64 key = m_view.at(size_t(position));
    auto it = m_cache.constFind(key);
    if (it == m_cache.constEnd()) {
        fetchBlock(position);
        it = m_cache.constFind(key);
    }
    return *it;
}

QVariant RecordSet::valueAt(int position, int index) const {
    checkOpen();
    if (position < 0 || position >= int(m_view.size()))
        noCurrentRecord();
    if (index < 0 || index >= m_fields.size())
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"Item cannot be found in the collection (field %1)"_s.arg(index));
    if (position == m_position && !m_onDeletedRow && !m_adding)
        return m_edit.at(index);
    return rowValues(position).at(index);
}

RecordSet::Bookmark RecordSet::bookmarkAt(int position) const {
    if (position < 0 || position >= int(m_view.size()))
        noCurrentRecord();
    return m_view[size_t(position)];
}

bool RecordSet::hasCurrentRow() const {
    return m_db &&
           (m_adding || (!m_onDeletedRow && m_position >= 0 && m_position < int(m_view.size())));
}

void RecordSet::requireCurrentRow() const {
    checkOpen();
    if (!hasCurrentRow())
        noCurrentRecord();
}

QVariant RecordSet::value(int index) const {
    requireCurrentRow();
    if (index < 0 || index >= m_edit.size())
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"Item cannot be found in the collection (field %1)"_s.arg(index));
    return m_edit.at(index);
}

QVariant RecordSet::value(const QString& name) const {
    const int index = fieldIndex(name);
    if (index < 0)
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"Item cannot be found in the collection: "_s + name);
    return value(index);
}

void RecordSet::setValue(int index, const QVariant& value) {
    requireCurrentRow();
    if (index < 0 || index >= m_edit.size())
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"Item cannot be found in the collection (field %1)"_s.arg(index));
    if (!m_adding && m_changed.isEmpty())
        askWillChange(ChangeReason::FirstChange);
    m_edit[index] = value;
    m_changed.insert(index, true);
}

void RecordSet::setValue(const QString& name, const QVariant& value) {
    const int index = fieldIndex(name);
    if (index < 0)
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"Item cannot be found in the collection: "_s + name);
    setValue(index, value);
}

void RecordSet::askWillChange(ChangeReason reason) {
    bool cancel = false;
    emit willChangeRecord(reason, &cancel);
    if (cancel)
        throw RunTimeError(ErrorNumber::OperationNotAllowed, u"Operation was cancelled."_s);
}

void RecordSet::writePending(ChangeReason reason) {
    if (!isDirty())
        return;
    askWillChange(reason);
    const QScopedValueRollback writing(m_writing, true);
    ColumnValueList values;
    for (auto it = m_changed.constBegin(); it != m_changed.constEnd(); ++it)
        values << qMakePair(m_fields.at(it.key()).tableColumn, m_edit.at(it.key()));
    if (m_adding) {
        qint64 rowId = 0;
        {
            ScopedTransaction transaction(*m_db);
            rowId = RowWriter::insert(*m_db, m_table, values);
            transaction.commit();
        }
        // A new row stays at the end of the set until the set is read again.
        m_keys.push_back(rowId);
        m_view.push_back(rowId);
        m_appended.push_back(rowId);
        m_positionsValid = false;
        m_adding = false;
        m_changed.clear();
        m_position = int(m_view.size()) - 1;
        m_onDeletedRow = false;
        m_cache.remove(rowId);
        m_edit = rowValues(m_position);
        m_read = m_edit;
        emit rowsReset();
        return;
    }
    const qint64 rowId = m_view.at(size_t(m_position));
    {
        ScopedTransaction transaction(*m_db);
        // The row is written only while it is still the row that was read: its key, and the
        // values shown in the fields being written (as an optimistic cursor compares them).
        // Otherwise another screen deleted or changed it meanwhile, and writing would overwrite
        // that change (or a new row that took its place).
        const std::optional<QVector<QVariant>> now = readRowNow(rowId);
        if (!now)
            throw RunTimeError(ErrorNumber::DatabaseRefused,
                               u"The record was deleted by another screen; the change cannot be "
                               u"saved."_s);
        // A field that another screen set to the very value being written is no conflict:
        // writing it loses nothing.
        bool changedElsewhere = false;
        for (auto it = m_changed.constBegin(); it != m_changed.constEnd(); ++it) {
            const QVariant& stored = now->at(it.key());
            if (stored == m_read.value(it.key()))
                continue;
            changedElsewhere |= stored != asStored(m_fields.at(it.key()).kind, m_edit.at(it.key()));
        }
        if (changedElsewhere)
            throw RunTimeError(ErrorNumber::DatabaseRefused,
                               u"The record was changed by another screen after it was shown; "
                               u"the change cannot be saved. Cancel the change to see the "
                               u"record as it is now."_s);
        if (!RowWriter::update(*m_db, m_table, rowId, values))
            throw RunTimeError(ErrorNumber::DatabaseRefused,
                               u"The record was deleted by another screen; the change cannot be "
                               u"saved."_s);
        transaction.commit();
    }
    m_changed.clear();
    m_cache.remove(rowId);
    m_edit = rowValues(m_position);
    m_read = m_edit;
    emit rowUpdated(m_position);
}

std::optional<QVector<QVariant>> RecordSet::readRowNow(qint64 rowId) const {
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

void RecordSet::leaveRow() {
    checkOpen();
    writePending(ChangeReason::Move);
    if (m_rereadDue)
        rereadKeys();
}

void RecordSet::arrive(int position) {
    const int size = int(m_view.size());
    m_position = std::clamp(position, -1, size);
    m_onDeletedRow = false;
    m_changed.clear();
    if (m_position >= 0 && m_position < size)
        m_edit = rowValues(m_position);
    else
        m_edit.clear();
    m_read = m_edit;
    if (m_rowsReplaced) {
        m_rowsReplaced = false;
        emit rowsReset();
    }
    emit moveComplete();
}

void RecordSet::moveFirst() {
    leaveRow();
    arrive(m_view.empty() ? -1 : 0);
}

void RecordSet::moveLast() {
    leaveRow();
    arrive(m_view.empty() ? int(m_view.size()) : int(m_view.size()) - 1);
}

void RecordSet::moveNext() {
    checkOpen();
    if (!m_adding && !m_onDeletedRow && eof())
        noCurrentRecord();
    leaveRow();
    // Leaving may have found the row gone from the file: the cursor is then on its gap.
    arrive(m_onDeletedRow ? m_position : m_position + 1);
}

void RecordSet::movePrevious() {
    checkOpen();
    if (!m_adding && !m_onDeletedRow && bof())
        noCurrentRecord();
    leaveRow();
    arrive(m_position - 1);
}

bool RecordSet::bof() const {
    if (!m_db || m_adding)
        return false;
    return m_view.empty() || m_position < 0;
}

bool RecordSet::eof() const {
    if (!m_db || m_adding)
        return false;
    return m_view.empty() || m_position >= int(m_view.size());
}

int RecordSet::absolutePosition() const {
    if (!m_db || m_adding || m_onDeletedRow || m_view.empty())
        return PositionUnknown;
    if (m_position < 0)
        return PositionBOF;
    if (m_position >= int(m_view.size()))
        return PositionEOF;
    return m_position + 1;
}

void RecordSet::setAbsolutePosition(int position) {
    checkOpen();
    if (position < 1 || position > int(m_view.size()))
        throw RunTimeError(ErrorNumber::WrongArguments,
                           u"The position %1 is outside the record set."_s.arg(position));
    leaveRow();
    arrive(position - 1);
}

RecordSet::Bookmark RecordSet::bookmark() const {
    requireCurrentRow();
    if (m_adding)
        throw RunTimeError(ErrorNumber::NoCurrentRecord, u"A new record has no bookmark yet."_s);
    return m_view.at(size_t(m_position));
}

void RecordSet::setBookmark(Bookmark bookmark) {
    checkOpen();
    if (positionOf(bookmark) < 0)
        throw RunTimeError(ErrorNumber::WrongArguments,
                           u"The bookmark is not in the record set."_s);
    leaveRow();
    // Leaving may have read the keys again, and the row may have left with that.
    arrive(positionOf(bookmark));
}

void RecordSet::setFilter(const QString& condition) {
    checkOpen();
    const Condition parsed = parseTableCondition(condition);
    leaveRow();
    m_filter = parsed;
    m_filterText = parsed.isEmpty() ? QString() : condition;
    applyFilter();
    arrive(m_view.empty() ? -1 : 0);
}

void RecordSet::setSort(const QString& sortText) {
    checkOpen();
    const QList<SortKey> keys = parseSortText(sortText);
    for (const SortKey& key : keys) {
        bool known = false;
        for (const ColumnInfo& c : m_tableColumns)
            known |= c.name.compare(key.column, Qt::CaseInsensitive) == 0;
        if (!known)
            throw RunTimeError(ErrorNumber::ItemNotFound,
                               u"Item cannot be found in the collection: "_s + key.column);
    }
    leaveRow();
    const bool hadRow = hasCurrentRow();
    const qint64 current = hadRow ? m_view.at(size_t(m_position)) : 0;
    m_sortKeys = keys;
    m_sortText = keys.isEmpty() ? QString() : sortText;
    readKeys();
    const int position = hadRow ? positionOf(current) : -1;
    arrive(position >= 0 ? position : (m_view.empty() ? -1 : 0));
}

void RecordSet::find(const QString& criterion, int skip, SearchDirection direction,
                     FindStart start) {
    checkOpen();
    const Condition condition = parseTableCondition(criterion);
    leaveRow();
    const int size = int(m_view.size());
    const bool forward = direction == SearchDirection::Forward;
    int from = 0;
    if (start == FindStart::FirstRow)
        from = forward ? 0 : size - 1;
    else
        from = std::clamp(m_onDeletedRow && !forward ? m_position - 1 : m_position, 0,
                          std::max(size - 1, 0));
    from += forward ? skip : -skip;
    // The match nearest to the start in the search's direction, by the positions of the
    // matching rows rather than by testing the rows in order.
    int found = forward ? size : -1;
    if (condition.isEmpty()) {
        if (forward && std::max(from, 0) < size)
            found = std::max(from, 0);
        else if (!forward && std::min(from, size - 1) >= 0)
            found = std::min(from, size - 1);
    } else {
        const std::vector<qint64> matches = matchingRows(condition);
        // A find by stock number matches a row or two: looking for them in the order is quicker
        // than building the position index of a large set for them.
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
    }
    arrive(found);
}

void RecordSet::addNew() {
    checkOpen();
    leaveRow();
    askWillChange(ChangeReason::AddNew);
    m_positionBeforeAdd = m_position;
    m_adding = true;
    m_onDeletedRow = false;
    m_edit = QVector<QVariant>(m_fields.size());
    m_changed.clear();
}

void RecordSet::deleteCurrent() {
    requireCurrentRow();
    if (m_adding) {
        cancelUpdate();
        return;
    }
    askWillChange(ChangeReason::Delete);
    const qint64 rowId = m_view.at(size_t(m_position));
    {
        const QScopedValueRollback writing(m_writing, true);
        ScopedTransaction transaction(*m_db);
        RowWriter::remove(*m_db, m_table, rowId);
        transaction.commit();
    }
    m_view.erase(m_view.begin() + m_position);
    m_keys.erase(std::find(m_keys.begin(), m_keys.end(), rowId));
    m_positionsValid = false;
    m_cache.remove(rowId);
    m_onDeletedRow = true;
    m_changed.clear();
    m_edit.clear();
    emit rowsReset();
}

void RecordSet::update() {
    checkOpen();
    writePending(ChangeReason::Update);
    takeInRowsIfDue();
}

void RecordSet::updateBatch() {
    checkOpen();
    writePending(ChangeReason::UpdateBatch);
    takeInRowsIfDue();
}

void RecordSet::cancelUpdate() {
    checkOpen();
    if (m_adding) {
        m_adding = false;
        m_changed.clear();
        if (!takeInRowsIfDue())
            arrive(m_positionBeforeAdd);
        return;
    }
    m_changed.clear();
    if (takeInRowsIfDue())
        return;
    if (hasCurrentRow()) {
        m_cache.remove(m_view.at(size_t(m_position)));
        m_edit = rowValues(m_position);
        m_read = m_edit;
    }
}

void RecordSet::requery() {
    checkOpen();
    askWillChange(ChangeReason::Requery);
    m_adding = false;
    m_changed.clear();
    m_fetch.reset();
    m_readRow.reset();
    readKeys();
    arrive(m_view.empty() ? -1 : 0);
}

} // namespace tovin
