#include "core/text/ValueText.h"

#include "core/text/DateText.h"
#include "core/text/Money.h"
#include "core/text/NumberFormat.h"

#include <QDateTime>

using namespace Qt::Literals::StringLiterals;

namespace tovin::TextRules {

QString toText(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>().toText();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? u"True"_s : u"False"_s;
    case QMetaType::Double:
    case QMetaType::Float:
        return plainDecimal(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::QDate:
        return formatDate(value.toDate(), u"MM/DD/YYYY"_s);
    case QMetaType::QDateTime:
        return formatDate(value.toDateTime().date(), u"MM/DD/YYYY"_s);
    default:
        return value.toString();
    }
}

} // namespace tovin::TextRules
