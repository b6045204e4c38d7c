#include "core/storage/StorageStatement.h"

#include "core/text/Money.h"

#include <QDateTime>
#include <QTime>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void StorageStatement::appendRemainingIntegers(int column, std::vector<qint64>& to) {
    while (next())
        to.push_back(integer(column));
}

// Every engine takes the same values the same way, through its own typed binding.
void StorageStatement::bind(int position, const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return bindNull(position);
    // An amount goes into the catalogue as its whole ten-thousandths, as money columns keep it.
    if (value.metaType() == QMetaType::fromType<Money>())
        return bind(position, qint64(value.value<Money>().toStored()));
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return bind(position, qint64(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return bindDouble(position, value.toDouble());
    case QMetaType::QByteArray:
        return bindBlob(position, value.toByteArray());
    case QMetaType::QDateTime:
        return bindText(position, value.toDateTime().toString(Qt::ISODateWithMs));
    case QMetaType::QTime:
        return bindText(position, value.toTime().toString(u"hh:mm:ss.zzz"_s));
    default:
        return bindText(position, value.toString());
    }
}

} // namespace tovin
