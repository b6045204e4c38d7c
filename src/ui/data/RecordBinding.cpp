#include "ui/data/RecordBinding.h"

#include "core/catalogue/RecordSet.h"
#include "core/shell/ErrorReporting.h"
#include "core/storage/ColumnValues.h"
#include "ui/data/BoundCheckBox.h"
#include "ui/data/BoundTextBox.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

RecordBinding::RecordBinding(QObject* parent) : QObject(parent) {}

void RecordBinding::addTextBox(BoundTextBox* box) {
    m_textBoxes << box;
    connect(box, &QLineEdit::textEdited, this, [this, box] { onTextEdited(box); });
}

void RecordBinding::addCheckBox(BoundCheckBox* box) {
    m_checkBoxes << box;
    connect(box, &QAbstractButton::clicked, this, [this, box] { onCheckClicked(box); });
}

void RecordBinding::bind(RecordSet* recordSet) {
    disconnect(m_rowUpdated);
    m_recordSet = recordSet;
    if (recordSet)
        m_rowUpdated = connect(recordSet, &RecordSet::rowUpdated, this,
                               [this](int position) { onRowUpdated(position); });
    const bool open = recordSet && recordSet->isOpen();
    for (BoundTextBox* box : std::as_const(m_textBoxes))
        box->setFieldIndex(
            open && !box->dataField().isEmpty() ? recordSet->fieldIndex(box->dataField()) : -1);
    for (BoundCheckBox* box : std::as_const(m_checkBoxes))
        box->setFieldIndex(
            open && !box->dataField().isEmpty() ? recordSet->fieldIndex(box->dataField()) : -1);
    refresh();
}

bool RecordBinding::hasCurrentRow() const {
    return m_recordSet && m_recordSet->isOpen() && m_recordSet->hasCurrentRow();
}

void RecordBinding::refresh() {
    const bool current = hasCurrentRow();
    for (BoundTextBox* box : std::as_const(m_textBoxes)) {
        if (box->dataField().isEmpty())
            continue;
        // A counter key is given by the catalogue: typing over it would move the row.
        const bool counter = box->isBound() && m_recordSet->isOpen() &&
                             m_recordSet->fieldKind(box->fieldIndex()) == ColumnKind::Counter;
        box->setReadOnly(!current || !box->isBound() || counter);
        if (current && box->isBound())
            box->showValue(m_recordSet->value(box->fieldIndex()));
        else
            box->clear();
    }
    for (BoundCheckBox* box : std::as_const(m_checkBoxes)) {
        box->setEnabled(current && box->isBound());
        box->showValue(current && box->isBound() ? m_recordSet->value(box->fieldIndex())
                                                 : QVariant());
    }
}

void RecordBinding::onRowUpdated(int position) {
    if (hasCurrentRow() && !m_recordSet->isDirty() &&
        position == m_recordSet->absolutePosition() - 1)
        refresh();
}

void RecordBinding::setBoxValue(BoundTextBox* box, const QVariant& value) {
    if (box->isBound() && hasCurrentRow())
        m_recordSet->setValue(box->fieldIndex(), value);
    box->showValue(value);
}

void RecordBinding::onTextEdited(BoundTextBox* box) {
    if (!box->isBound() || !hasCurrentRow())
        return;
    // Typing never fails in front of the user; a value the column cannot take is refused when
    // the row is written.
    StepGuard step(u"RecordBinding::textEdited"_s, ErrorStyle::IgnoreAndResume);
    step([&] { m_recordSet->setValue(box->fieldIndex(), box->typedValue()); });
}

void RecordBinding::onCheckClicked(BoundCheckBox* box) {
    if (!box->isBound() || !hasCurrentRow())
        return;
    StepGuard step(u"RecordBinding::checkClicked"_s, ErrorStyle::IgnoreAndResume);
    step([&] { m_recordSet->setValue(box->fieldIndex(), box->isChecked()); });
}

BoundTextBox* RecordBinding::refusedBox() const {
    if (!hasCurrentRow())
        return nullptr;
    for (BoundTextBox* box : m_textBoxes) {
        if (!box->isBound())
            continue;
        try {
            const int field = box->fieldIndex();
            const QVariant value = m_recordSet->value(field);
            ColumnValues::toStorage(m_recordSet->fieldKind(field), value,
                                    m_recordSet->fieldName(field));
        } catch (const RunTimeError&) {
            return box;
        }
    }
    return nullptr;
}

} // namespace tovin
