#include "ui/data/BoundTextBox.h"

#include "core/shell/TextRules.h"

#include <QDate>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

bool isDateFormat(const QString& format) {
    return format.contains(u"MM"_s);
}

bool isPercentFormat(const QString& format) {
    return format.endsWith(u'%');
}

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

} // namespace

BoundTextBox::BoundTextBox(int index, QString dataField, QString displayFormat, QWidget* parent)
    : QLineEdit(parent), m_index(index), m_dataField(std::move(dataField)),
      m_format(std::move(displayFormat)) {
    setObjectName(u"txtFields(%1)"_s.arg(index));
    if (m_dataField.isEmpty())
        setReadOnly(true);
}

void BoundTextBox::showValue(const QVariant& value) {
    setText(formatValue(value, m_format));
    setCursorPosition(0);
}

QVariant BoundTextBox::typedValue() const {
    const QString typed = text();
    if (isPercentFormat(m_format)) {
        QString number = typed.trimmed();
        if (number.endsWith(u'%')) {
            number.chop(1);
            if (TextRules::IsNumeric(number))
                return QVariant(TextRules::CDbl(number) / 100.0);
        }
    }
    return QVariant(typed);
}

QString BoundTextBox::formatValue(const QVariant& value, const QString& displayFormat) {
    if (!value.isValid() || value.isNull())
        return QString();
    if (displayFormat.isEmpty())
        return TextRules::toText(value);
    if (isDateFormat(displayFormat)) {
        QDate date;
        if (value.typeId() == QMetaType::QDate)
            date = value.toDate();
        else if (value.typeId() == QMetaType::QDateTime)
            date = value.toDateTime().date();
        else if (value.typeId() == QMetaType::QString)
            date = TextRules::parseDate(value.toString());
        return date.isValid() ? TextRules::formatDate(date, displayFormat)
                              : TextRules::toText(value);
    }
    if (isNumber(value))
        return TextRules::formatNumber(value.toDouble(), displayFormat);
    if (value.typeId() == QMetaType::QString && TextRules::IsNumeric(value.toString()))
        return TextRules::formatNumber(TextRules::CDbl(value.toString()), displayFormat);
    return TextRules::toText(value);
}

void BoundTextBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    emit focusLeft(m_index);
}

} // namespace tovin
