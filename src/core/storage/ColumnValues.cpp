#include "core/storage/ColumnValues.h"

#include "core/base/RunTimeError.h"
#include "core/text/DateText.h"
#include "core/text/Money.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <QDate>
#include <QDateTime>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ColumnValues {

namespace {

[[noreturn]] void refuse(const QString& columnName, const QVariant& value) {
    QString text = u"Type mismatch: "_s;
    if (!columnName.isEmpty())
        text += u"the field "_s + columnName + u" cannot take the value '"_s;
    else
        text += u"the value '"_s;
    text += TextRules::toText(value) + u'\'';
    throw RunTimeError(ErrorNumber::TypeMismatch, text);
}

bool isEmptyText(const QVariant& value) {
    return value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty();
}

double toNumber(const QVariant& value, const QString& columnName) {
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>().toDouble();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? -1.0 : 0.0;
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: {
        const double v = value.toDouble();
        if (!std::isfinite(v))
            refuse(columnName, value);
        return v;
    }
    case QMetaType::QString: {
        const QString text = value.toString();
        if (!TextRules::IsNumeric(text))
            refuse(columnName, value);
        return TextRules::CDbl(text);
    }
    default:
        refuse(columnName, value);
    }
}

} // namespace

namespace {

// The largest amount of money kept: about 922 trillion, exact to four decimals.
constexpr double MoneyLimit = 922337203685477.0;
// Counter keys are 32-bit numbers.
constexpr double CounterLimit = 2147483647.0;

[[noreturn]] void refuseAsTooLarge(const QString& columnName, const QString& number) {
    throw RunTimeError(ErrorNumber::Overflow,
                       columnName.isEmpty() ? u"Overflow"_s
                                            : u"Overflow: the field "_s + columnName +
                                                  u" cannot hold a number as large as "_s + number);
}

// The range is checked before rounding: rounding a number far beyond it to a few decimals
// yields nothing sensible (it came out as 0), and the value must be refused, not stored.
void requireWithin(double value, double limit, const QString& columnName) {
    if (!std::isfinite(value) || std::fabs(value) > limit)
        refuseAsTooLarge(columnName, TextRules::toText(QVariant(value)));
}

// Typed and imported amounts are read from their digits, so that every decimal written is
// kept; an amount already in the program is taken as it is.
Money toMoney(const QVariant& value, const QString& columnName) {
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>();
    if (value.typeId() == QMetaType::QString) {
        Money amount;
        switch (Money::read(value.toString(), amount)) {
        case Money::Reading::Read:
            return amount;
        case Money::Reading::TooLarge:
            refuseAsTooLarge(columnName, value.toString().trimmed());
        case Money::Reading::NotANumber:
            refuse(columnName, value);
        }
    }
    const double amount = toNumber(value, columnName);
    requireWithin(amount, MoneyLimit, columnName);
    return Money::fromStored(moneyToStorage(amount));
}

} // namespace

qint64 moneyToStorage(double amount) {
    requireWithin(amount, MoneyLimit, QString());
    const std::optional<Money> money = Money::fromDouble(amount);
    if (!money)
        refuseAsTooLarge(QString(), QString());
    return money->toStored();
}

QVariant moneyValue(qint64 tenThousandths) {
    return QVariant::fromValue(Money::fromStored(tenThousandths));
}

QVariant toStorage(ColumnKind kind, const QVariant& value, const QString& columnName) {
    if (!value.isValid() || value.isNull())
        return kind == ColumnKind::YesNo ? QVariant(0) : QVariant();
    if (isEmptyText(value) && kind != ColumnKind::Text && kind != ColumnKind::Memo)
        return kind == ColumnKind::YesNo ? QVariant(0) : QVariant();
    switch (kind) {
    case ColumnKind::Counter: {
        const double v = toNumber(value, columnName);
        requireWithin(v, CounterLimit, columnName);
        return QVariant(qlonglong(std::llround(TextRules::roundHalfEven(v))));
    }
    case ColumnKind::Number:
        return QVariant(toNumber(value, columnName));
    case ColumnKind::Money:
        return QVariant(qlonglong(toMoney(value, columnName).toStored()));
    case ColumnKind::Date: {
        QDate date;
        if (value.typeId() == QMetaType::QDate)
            date = value.toDate();
        else if (value.typeId() == QMetaType::QDateTime)
            date = value.toDateTime().date();
        else if (value.typeId() == QMetaType::QString)
            date = TextRules::parseDate(value.toString());
        if (!date.isValid())
            refuse(columnName, value);
        return QVariant(date.toString(Qt::ISODate));
    }
    case ColumnKind::YesNo: {
        if (value.typeId() == QMetaType::Bool)
            return QVariant(value.toBool() ? 1 : 0);
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            for (const QString& yes : {u"True"_s, u"Yes"_s, u"On"_s})
                if (t.compare(yes, Qt::CaseInsensitive) == 0)
                    return QVariant(1);
            for (const QString& no : {u"False"_s, u"No"_s, u"Off"_s})
                if (t.compare(no, Qt::CaseInsensitive) == 0)
                    return QVariant(0);
        }
        return QVariant(toNumber(value, columnName) != 0.0 ? 1 : 0);
    }
    case ColumnKind::Text:
    case ColumnKind::Memo: {
        const QString text = TextRules::toText(value);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    }
    return value;
}

QVariant fromStorage(ColumnKind kind, const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return QVariant();
    switch (kind) {
    case ColumnKind::Counter:
        return QVariant(stored.toLongLong());
    case ColumnKind::Number:
        return QVariant(stored.toDouble());
    case ColumnKind::Money:
        // A file written by an older version may hold an amount as a real number.
        if (stored.typeId() == QMetaType::Double) {
            if (const std::optional<Money> amount = Money::fromDouble(stored.toDouble()))
                return QVariant::fromValue(*amount);
            return stored;
        }
        return moneyValue(stored.toLongLong());
    case ColumnKind::Date: {
        const QString text = stored.toString();
        QDate date = QDate::fromString(text.left(10), Qt::ISODate);
        if (!date.isValid())
            date = TextRules::parseDate(text);
        return date.isValid() ? QVariant(date) : QVariant(text);
    }
    case ColumnKind::YesNo:
        return QVariant(stored.toLongLong() != 0);
    case ColumnKind::Text:
    case ColumnKind::Memo:
        return QVariant(stored.toString());
    }
    return stored;
}

} // namespace tovin::ColumnValues
