#include "ui/data/BoundTextBox.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

BoundTextBox::BoundTextBox(int index, QString dataField, QString displayFormat, QWidget* parent)
    : QLineEdit(parent), m_index(index), m_dataField(std::move(dataField)),
      m_format(std::move(displayFormat)) {
    setObjectName(u"txtFields(%1)"_s.arg(index));
    if (m_dataField.isEmpty())
        setReadOnly(true);
}

void BoundTextBox::showValue(const QVariant& value) {
    setText(DisplayFormat::text(value, m_format));
    setCursorPosition(0);
}

QVariant BoundTextBox::typedValue() const {
    return DisplayFormat::typedValue(text(), m_format);
}

void BoundTextBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    emit focusLeft(m_index);
}

} // namespace tovin
