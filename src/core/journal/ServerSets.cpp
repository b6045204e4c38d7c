#include "core/journal/ServerSets.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/storage/CatalogueLocation.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ServerSets {

namespace {

QString element(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return u"NULL"_s;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? u"1"_s : u"0"_s;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (std::isnan(number))
            return u"NaN"_s;
        if (std::isinf(number))
            return number > 0 ? u"Infinity"_s : u"-Infinity"_s;
        // Qt writes a negative nought as "0", which the server would keep as a positive one.
        if (number == 0)
            return std::signbit(number) ? u"-0"_s : u"0"_s;
        return QString::number(number, 'g', QLocale::FloatingPointShortest);
    }
    default:
        break;
    }
    // A null text goes as null, as a value bound alone does.
    QString text = value.toString();
    if (text.isNull())
        return u"NULL"_s;
    text.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s);
    return u'"' + text + u'"';
}

} // namespace

QVariant storedForm(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return QVariant(qlonglong(value.toBool() ? 1 : 0));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QVariant(qlonglong(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return QVariant(value.toDouble());
    case QMetaType::QByteArray:
        return value;
    default:
        break;
    }
    const QString text = value.toString();
    return text.isNull() ? QVariant() : QVariant(text);
}

bool apply(const CatalogueDatabase& db) {
    return CatalogueLocation::isServer(db.path());
}

QString keys(const std::vector<qint64>& keys) {
    QString text = u"{"_s;
    text.reserve(qsizetype(keys.size()) * 8 + 2);
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i > 0)
            text += u',';
        text += QString::number(keys[i]);
    }
    return text + u'}';
}

QString texts(const std::vector<QVariant>& values) {
    QString text = u"{"_s;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            text += u',';
        text += element(values[i]);
    }
    return text + u'}';
}

QString typeOf(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Counter:
    case ColumnKind::Money:
        return u"bigint"_s;
    case ColumnKind::YesNo:
        return u"smallint"_s;
    case ColumnKind::Number:
        return u"double precision"_s;
    case ColumnKind::Date:
        return u"date"_s;
    case ColumnKind::Text:
    case ColumnKind::Memo:
        break;
    }
    return u"text"_s;
}

} // namespace tovin::ServerSets
