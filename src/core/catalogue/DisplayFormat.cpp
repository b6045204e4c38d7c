#include "core/catalogue/DisplayFormat.h"

#include "core/text/DateText.h"
#include "core/text/Money.h"
#include "core/text/NumberFormat.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <QDate>

using namespace Qt::Literals::StringLiterals;

namespace tovin::DisplayFormat {

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

const QString& forKind(ColumnKind kind) {
    return kind == ColumnKind::Money ? Currency : Plain;
}

QString text(const QVariant& value, const QString& format) {
    if (!value.isValid() || value.isNull())
        return QString();
    if (format.isEmpty())
        return TextRules::toText(value);
    if (isDateFormat(format)) {
        QDate date;
        if (value.typeId() == QMetaType::QDate)
            date = value.toDate();
        else if (value.typeId() == QMetaType::QDateTime)
            date = value.toDateTime().date();
        else if (value.typeId() == QMetaType::QString)
            date = TextRules::parseDate(value.toString());
        return date.isValid() ? TextRules::formatDate(date, format) : TextRules::toText(value);
    }
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>().format(format);
    if (isNumber(value))
        return TextRules::formatNumber(value.toDouble(), format);
    if (value.typeId() == QMetaType::QString && TextRules::IsNumeric(value.toString()))
        return TextRules::formatNumberText(value.toString(), format);
    return TextRules::toText(value);
}

QVariant typedValue(const QString& typed, const QString& format) {
    if (isPercentFormat(format)) {
        QString number = typed.trimmed();
        if (number.endsWith(u'%')) {
            number.chop(1);
            if (TextRules::IsNumeric(number))
                return QVariant(TextRules::CDbl(number) / 100.0);
        }
    }
    return QVariant(typed);
}

std::optional<QString> fractionOfPercent(const QString& typed) {
    if (!TextRules::IsNumeric(typed))
        return std::nullopt;
    return TextRules::plainDecimal(TextRules::CDbl(typed) * 0.01);
}

} // namespace tovin::DisplayFormat
