#include "core/catalogue/RecordSet.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordEdit.h"
#include "core/catalogue/RecordKeys.h"
#include "core/storage/CatalogueChanges.h"

#include <QScopedValueRollback>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

[[noreturn]] void noCurrentRecord() {
    throw RunTimeError(ErrorNumber::NoCurrentRecord,
                       u"Either BOF or EOF is True, or the current record has been deleted. "
                       u"Requested operation requires a current record."_s);
}

[[noreturn]] void noSuchField(int index) {
    throw RunTimeError(ErrorNumber::ItemNotFound,
                       u"Item cannot be found in the collection (field %1)"_s.arg(index));
}

} // namespace

RecordSet::RecordSet(QObject* parent)
    : QObject(parent), m_keys(std::make_unique<RecordKeys>()),
      m_edit(std::make_unique<RecordEdit>()) {}

RecordSet::~RecordSet() = default;

bool RecordSet::isOpen() const {
    return m_keys->isOpen();
}

CatalogueDatabase* RecordSet::connection() const {
    return m_keys->connection();
}

const QString& RecordSet::tableName() const {
    return m_keys->table();
}

int RecordSet::fieldCount() const {
    return m_keys->fieldCount();
}

int RecordSet::positionOfBookmark(Bookmark bookmark) const {
    return m_keys->positionOf(bookmark);
}

int RecordSet::recordCount() const {
    return m_keys->size();
}

bool RecordSet::isAdding() const {
    return m_edit->isAdding();
}

bool RecordSet::isDirty() const {
    return m_edit->isDirty();
}

void RecordSet::checkOpen() const {
    if (!m_keys->isOpen())
        throw RunTimeError(ErrorNumber::OperationNotAllowed,
                           u"Operation is not allowed when the object is closed."_s);
}

void RecordSet::open(const QString& source, CatalogueDatabase& connection) {
    close();
    // A SELECT naming what the catalogue lacks leaves the set closed.
    m_keys->open(source, connection);
    m_source = source;
    try {
        m_keys->readWhere();
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
    m_position = m_keys->isEmpty() ? -1 : 0;
    arrive(m_position);
}

void RecordSet::close() {
    disconnect(m_changes);
    disconnect(m_reconnected);
    m_catalogue.clear();
    m_keys->close();
    m_source.clear();
    m_sortText.clear();
    m_filterText.clear();
    m_position = -1;
    m_onDeletedRow = false;
    m_edit->cancelNew();
    m_edit->show({});
    m_rowsReplaced = false;
    m_rereadDue = false;
    emit rowsReset();
}

// The keys are read again from the file; the rows the set's own write added are forgotten.
void RecordSet::readKeys() {
    m_keys->readKeysUnfiltered();
    m_rereadDue = false;
    m_keys->applyFilter();
    m_rowsReplaced = true;
}

void RecordSet::rowsWritten(const QString& catalogue, const QString& table,
                            const QList<qint64>& rows) {
    if (!m_keys->isOpen() || m_writing || catalogue != m_catalogue ||
        table.compare(m_keys->table(), Qt::CaseInsensitive) != 0)
        return;
    // Told from the event loop, which must never see an error: a connection lost on the way
    // leaves the rows to be read again with the next move, which tells the user why it fails.
    try {
        QList<int> positions;
        const bool joinedOrLeft = rowsJoinedOrLeft(rows, positions);
        for (const qint64 rowId : rows)
            m_keys->forget(rowId);
        if (joinedOrLeft) {
            // The count and the order follow at once, unless the user is typing into a row: the
            // rows are then taken in when that row is written, dropped or left. A screen answering
            // this set's own moves may write meanwhile: that write is taken in once events run.
            m_rereadDue = true;
            if (takeInRowsIfDue())
                return;
        }
        for (const int position : positions) {
            if (position == m_position && !m_edit->isAdding() && !m_onDeletedRow &&
                !m_edit->isChanged())
                m_edit->show(m_keys->rowValues(m_position));
            emit rowUpdated(position);
        }
    } catch (const RunTimeError&) {
        for (const qint64 rowId : rows)
            m_keys->forget(rowId);
        m_rereadDue = true;
    }
}

// Changes other computers made while the connection was lost were never told: every row is read
// again. The connection that is back may be another screen's, in the middle of a statement of
// its own, and each connection to the catalogue says it is back: the rows are read once events
// run, once for all of them.
void RecordSet::connectionBack(const QString& catalogue) {
    if (!m_keys->isOpen() || catalogue != m_catalogue || m_readAgainQueued)
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
    if (!m_keys->isOpen())
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
        if (const int position = m_keys->positionOf(rowId); position >= 0)
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
    if (held.size() > RecordKeys::BlockSize)
        return true;
    return std::any_of(held.cbegin(), held.cend(), [this](int position) {
        return !m_keys->readRowNow(m_keys->keyAt(position));
    });
}

// Reads the keys again and puts the cursor back where it was: on the same row, or, when that
// row left, on the gap before the next row that stayed (before the first row and after the last
// stay where they were).
void RecordSet::rereadKeys() {
    const QScopedValueRollback rereading(m_rereading, true);
    const bool beforeFirst = m_position < 0;
    const size_t from = size_t(std::max(m_position, 0));
    const bool onRow = !m_edit->isAdding() && !m_onDeletedRow && int(from) < m_keys->size();
    std::vector<qint64> previous;
    try {
        previous = m_keys->readKeysKeepingAdded();
    } catch (...) {
        // The set stays as it was, with the keys still to be read.
        m_rereadDue = true;
        throw;
    }
    m_rereadDue = false;
    int position = m_keys->size();
    for (size_t p = from; p < previous.size(); ++p) {
        if (const int q = m_keys->positionOf(previous[p]); q >= 0) {
            position = q;
            break;
        }
    }
    m_onDeletedRow = m_onDeletedRow || (onRow && m_keys->positionOf(previous[from]) < 0);
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
            if (!m_keys->isOpen() || m_rereading)
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
    const bool wasEmpty = m_keys->isEmpty();
    rereadKeys();
    const int size = m_keys->size();
    int position = m_position;
    if (wasEmpty)
        position = size > 0 ? 0 : -1;
    else if (m_onDeletedRow)
        position = std::min(m_position, size - 1);
    arrive(position);
}

QString RecordSet::fieldName(int index) const {
    if (index < 0 || index >= m_keys->fieldCount())
        noSuchField(index);
    return m_keys->fields().at(index).name;
}

ColumnKind RecordSet::fieldKind(int index) const {
    if (index < 0 || index >= m_keys->fieldCount())
        noSuchField(index);
    return m_keys->fields().at(index).kind;
}

int RecordSet::fieldIndex(const QString& name) const {
    const auto& fields = m_keys->fields();
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant RecordSet::valueAt(int position, int index) const {
    checkOpen();
    if (position < 0 || position >= m_keys->size())
        noCurrentRecord();
    if (index < 0 || index >= m_keys->fieldCount())
        noSuchField(index);
    if (position == m_position && !m_onDeletedRow && !m_edit->isAdding())
        return m_edit->values().at(index);
    return m_keys->rowValues(position).at(index);
}

RecordSet::Bookmark RecordSet::bookmarkAt(int position) const {
    if (position < 0 || position >= m_keys->size())
        noCurrentRecord();
    return m_keys->keyAt(position);
}

bool RecordSet::hasCurrentRow() const {
    return m_keys->isOpen() && (m_edit->isAdding() || (!m_onDeletedRow && m_position >= 0 &&
                                                       m_position < m_keys->size()));
}

void RecordSet::requireCurrentRow() const {
    checkOpen();
    if (!hasCurrentRow())
        noCurrentRecord();
}

QVariant RecordSet::value(int index) const {
    requireCurrentRow();
    return m_edit->value(index);
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
    m_edit->checkField(index);
    if (!m_edit->isDirty())
        askWillChange(ChangeReason::FirstChange);
    m_edit->setValue(index, value);
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
    if (m_edit->isAdding()) {
        // A new row stays at the end of the set until the set is read again.
        const qint64 rowId = m_edit->insert(*m_keys);
        m_keys->append(rowId);
        m_position = m_keys->size() - 1;
        m_onDeletedRow = false;
        m_edit->show(m_keys->rowValues(m_position));
        emit rowsReset();
        return;
    }
    const qint64 rowId = m_keys->keyAt(m_position);
    m_edit->writeOver(*m_keys, rowId);
    m_keys->forget(rowId);
    m_edit->show(m_keys->rowValues(m_position));
    emit rowUpdated(m_position);
}

void RecordSet::leaveRow() {
    checkOpen();
    writePending(ChangeReason::Move);
    if (m_rereadDue)
        rereadKeys();
}

void RecordSet::arrive(int position) {
    const int size = m_keys->size();
    m_position = std::clamp(position, -1, size);
    m_onDeletedRow = false;
    m_edit->dropChanges();
    if (m_position >= 0 && m_position < size)
        m_edit->show(m_keys->rowValues(m_position));
    else
        m_edit->show({});
    if (m_rowsReplaced) {
        m_rowsReplaced = false;
        emit rowsReset();
    }
    emit moveComplete();
}

void RecordSet::moveFirst() {
    leaveRow();
    arrive(m_keys->isEmpty() ? -1 : 0);
}

void RecordSet::moveLast() {
    leaveRow();
    arrive(m_keys->isEmpty() ? m_keys->size() : m_keys->size() - 1);
}

void RecordSet::moveNext() {
    checkOpen();
    if (!m_edit->isAdding() && !m_onDeletedRow && eof())
        noCurrentRecord();
    leaveRow();
    // Leaving may have found the row gone from the file: the cursor is then on its gap.
    arrive(m_onDeletedRow ? m_position : m_position + 1);
}

void RecordSet::movePrevious() {
    checkOpen();
    if (!m_edit->isAdding() && !m_onDeletedRow && bof())
        noCurrentRecord();
    leaveRow();
    arrive(m_position - 1);
}

bool RecordSet::bof() const {
    if (!m_keys->isOpen() || m_edit->isAdding())
        return false;
    return m_keys->isEmpty() || m_position < 0;
}

bool RecordSet::eof() const {
    if (!m_keys->isOpen() || m_edit->isAdding())
        return false;
    return m_keys->isEmpty() || m_position >= m_keys->size();
}

int RecordSet::absolutePosition() const {
    if (!m_keys->isOpen() || m_edit->isAdding() || m_onDeletedRow || m_keys->isEmpty())
        return PositionUnknown;
    if (m_position < 0)
        return PositionBOF;
    if (m_position >= m_keys->size())
        return PositionEOF;
    return m_position + 1;
}

void RecordSet::setAbsolutePosition(int position) {
    checkOpen();
    if (position < 1 || position > m_keys->size())
        throw RunTimeError(ErrorNumber::WrongArguments,
                           u"The position %1 is outside the record set."_s.arg(position));
    leaveRow();
    arrive(position - 1);
}

RecordSet::Bookmark RecordSet::bookmark() const {
    requireCurrentRow();
    if (m_edit->isAdding())
        throw RunTimeError(ErrorNumber::NoCurrentRecord, u"A new record has no bookmark yet."_s);
    return m_keys->keyAt(m_position);
}

void RecordSet::setBookmark(Bookmark bookmark) {
    checkOpen();
    if (m_keys->positionOf(bookmark) < 0)
        throw RunTimeError(ErrorNumber::WrongArguments,
                           u"The bookmark is not in the record set."_s);
    leaveRow();
    // Leaving may have read the keys again, and the row may have left with that.
    arrive(m_keys->positionOf(bookmark));
}

void RecordSet::setFilter(const QString& condition) {
    checkOpen();
    const Condition parsed = m_keys->parseTableCondition(condition);
    leaveRow();
    m_filterText = parsed.isEmpty() ? QString() : condition;
    m_keys->setFilter(parsed);
    m_rowsReplaced = true;
    arrive(m_keys->isEmpty() ? -1 : 0);
}

void RecordSet::setSort(const QString& sortText) {
    checkOpen();
    const QList<SortKey> keys = parseSortText(sortText);
    for (const SortKey& key : keys)
        if (!m_keys->hasTableColumn(key.column))
            throw RunTimeError(ErrorNumber::ItemNotFound,
                               u"Item cannot be found in the collection: "_s + key.column);
    leaveRow();
    const bool hadRow = hasCurrentRow();
    const qint64 current = hadRow ? m_keys->keyAt(m_position) : 0;
    m_keys->setSortKeys(keys);
    m_sortText = keys.isEmpty() ? QString() : sortText;
    readKeys();
    const int position = hadRow ? m_keys->positionOf(current) : -1;
    arrive(position >= 0 ? position : (m_keys->isEmpty() ? -1 : 0));
}

void RecordSet::find(const QString& criterion, int skip, SearchDirection direction,
                     FindStart start) {
    checkOpen();
    const Condition condition = m_keys->parseTableCondition(criterion);
    leaveRow();
    const int size = m_keys->size();
    const bool forward = direction == SearchDirection::Forward;
    int from = 0;
    if (start == FindStart::FirstRow)
        from = forward ? 0 : size - 1;
    else
        from = std::clamp(m_onDeletedRow && !forward ? m_position - 1 : m_position, 0,
                          std::max(size - 1, 0));
    from += forward ? skip : -skip;
    arrive(m_keys->nearestMatch(condition, from, forward));
}

void RecordSet::addNew() {
    checkOpen();
    leaveRow();
    askWillChange(ChangeReason::AddNew);
    m_positionBeforeAdd = m_position;
    m_onDeletedRow = false;
    m_edit->startNew(m_keys->fieldCount());
}

void RecordSet::deleteCurrent() {
    requireCurrentRow();
    if (m_edit->isAdding()) {
        cancelUpdate();
        return;
    }
    askWillChange(ChangeReason::Delete);
    {
        const QScopedValueRollback writing(m_writing, true);
        m_edit->remove(*m_keys, m_keys->keyAt(m_position));
    }
    m_keys->removeAt(m_position);
    m_onDeletedRow = true;
    m_edit->clear();
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
    if (m_edit->isAdding()) {
        m_edit->cancelNew();
        if (!takeInRowsIfDue())
            arrive(m_positionBeforeAdd);
        return;
    }
    m_edit->dropChanges();
    if (takeInRowsIfDue())
        return;
    if (hasCurrentRow()) {
        m_keys->forget(m_keys->keyAt(m_position));
        m_edit->show(m_keys->rowValues(m_position));
    }
}

void RecordSet::requery() {
    checkOpen();
    askWillChange(ChangeReason::Requery);
    m_edit->cancelNew();
    m_keys->dropStatements();
    readKeys();
    arrive(m_keys->isEmpty() ? -1 : 0);
}

} // namespace tovin
