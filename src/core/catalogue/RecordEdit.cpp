#include "core/catalogue/RecordEdit.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordKeys.h"
#include "core/catalogue/RowWriter.h"
#include "core/storage/ColumnValues.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// A typed value as the file would give it back once written (a date typed as text reads back as
// a date); a value the column refuses gives null.
QVariant valueAsStored(ColumnKind kind, const QVariant& value) {
    try {
        return ColumnValues::fromStorage(kind, ColumnValues::toStorage(kind, value));
    } catch (const RunTimeError&) {
        return QVariant();
    }
}

[[noreturn]] void rowDeletedElsewhere() {
    throw RunTimeError(ErrorNumber::DatabaseRefused,
                       u"The record was deleted by another screen; the change cannot be "
                       u"saved."_s);
}

} // namespace

void RecordEdit::show(const QVector<QVariant>& values) {
    m_changed.clear();
    m_values = values;
    m_read = values;
}

void RecordEdit::clear() {
    m_changed.clear();
    m_values.clear();
}

void RecordEdit::startNew(int fieldCount) {
    m_adding = true;
    m_values = QVector<QVariant>(fieldCount);
    m_changed.clear();
}

void RecordEdit::checkField(int index) const {
    if (index < 0 || index >= m_values.size())
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"Item cannot be found in the collection (field %1)"_s.arg(index));
}

QVariant RecordEdit::value(int index) const {
    checkField(index);
    return m_values.at(index);
}

void RecordEdit::setValue(int index, const QVariant& value) {
    checkField(index);
    m_values[index] = value;
    m_changed.insert(index, true);
}

qint64 RecordEdit::insert(const RecordKeys& keys) {
    ColumnValueList values;
    for (auto it = m_changed.constBegin(); it != m_changed.constEnd(); ++it)
        values << qMakePair(keys.fields().at(it.key()).tableColumn, m_values.at(it.key()));
    qint64 rowId = 0;
    {
        ScopedTransaction transaction(keys.db());
        rowId = RowWriter::insert(keys.db(), keys.table(), values);
        transaction.commit();
    }
    m_adding = false;
    m_changed.clear();
    return rowId;
}

void RecordEdit::writeOver(const RecordKeys& keys, qint64 rowId) {
    ColumnValueList values;
    for (auto it = m_changed.constBegin(); it != m_changed.constEnd(); ++it)
        values << qMakePair(keys.fields().at(it.key()).tableColumn, m_values.at(it.key()));
    ScopedTransaction transaction(keys.db());
    // The row is written only while it is still the row that was read: its key, and the values
    // shown in the fields being written (as an optimistic cursor compares them). Otherwise
    // another screen deleted or changed it meanwhile, and writing would overwrite that change
    // (or a new row that took its place).
    const std::optional<QVector<QVariant>> now = keys.readRowNow(rowId);
    if (!now)
        rowDeletedElsewhere();
    // A field that another screen set to the very value being written is no conflict: writing
    // it loses nothing.
    bool changedElsewhere = false;
    for (auto it = m_changed.constBegin(); it != m_changed.constEnd(); ++it) {
        const QVariant& stored = now->at(it.key());
        if (stored == m_read.value(it.key()))
            continue;
        changedElsewhere |=
            stored != valueAsStored(keys.fields().at(it.key()).kind, m_values.at(it.key()));
    }
    if (changedElsewhere)
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"The record was changed by another screen after it was shown; the "
                           u"change cannot be saved. Cancel the change to see the record as it "
                           u"is now."_s);
    if (!RowWriter::update(keys.db(), keys.table(), rowId, values))
        rowDeletedElsewhere();
    transaction.commit();
    m_changed.clear();
}

void RecordEdit::remove(const RecordKeys& keys, qint64 rowId) {
    ScopedTransaction transaction(keys.db());
    RowWriter::remove(keys.db(), keys.table(), rowId);
    transaction.commit();
}

} // namespace tovin
