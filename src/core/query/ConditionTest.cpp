#include "core/query/ConditionTest.h"

#include "core/query/ConditionError.h"
#include "core/text/DateText.h"
#include "core/text/Money.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <QDate>
#include <QDateTime>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString* stringIn(const QVariant& value) {
    return value.typeId() == QMetaType::QString ? static_cast<const QString*>(value.constData())
                                                : nullptr;
}

// Null, and an empty text, which the catalogue stores as null anyway.
bool isNullValue(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return true;
    if (const QString* text = stringIn(value))
        return text->isEmpty();
    if (value.typeId() == QMetaType::QDate)
        return !static_cast<const QDate*>(value.constData())->isValid();
    return false;
}

// A yes/no word or number written in a condition or found in a row.
bool readFlag(const QString& text, bool& flag) {
    const QString t = text.trimmed();
    if (t.compare(u"True"_s, Qt::CaseInsensitive) == 0 ||
        t.compare(u"Yes"_s, Qt::CaseInsensitive) == 0) {
        flag = true;
        return true;
    }
    if (t.compare(u"False"_s, Qt::CaseInsensitive) == 0 ||
        t.compare(u"No"_s, Qt::CaseInsensitive) == 0) {
        flag = false;
        return true;
    }
    if (TextRules::IsNumeric(t)) {
        flag = TextRules::CDbl(t) != 0;
        return true;
    }
    return false;
}

// Row values are normally of the column's own type; the fallbacks cover a value that arrives
// as text or as another number type.
bool numberOf(const QVariant& value, double& number) {
    switch (value.typeId()) {
    case QMetaType::Double:
        number = *static_cast<const double*>(value.constData());
        return true;
    case QMetaType::Bool:
        number = value.toBool() ? -1 : 0;
        return true;
    case QMetaType::QString: {
        const QString& text = *static_cast<const QString*>(value.constData());
        if (!TextRules::IsNumeric(text))
            return false;
        number = TextRules::CDbl(text);
        return true;
    }
    default: {
        bool ok = false;
        number = value.toDouble(&ok);
        return ok;
    }
    }
}

bool flagOf(const QVariant& value, bool& flag) {
    if (value.typeId() == QMetaType::Bool) {
        flag = *static_cast<const bool*>(value.constData());
        return true;
    }
    if (const QString* text = stringIn(value))
        return readFlag(*text, flag);
    double number = 0;
    if (!numberOf(value, number))
        return false;
    flag = number != 0;
    return true;
}

bool dayOf(const QVariant& value, qint64& day) {
    QDate date;
    if (value.typeId() == QMetaType::QDate)
        date = *static_cast<const QDate*>(value.constData());
    else if (value.typeId() == QMetaType::QDateTime)
        date = value.toDateTime().date();
    else if (const QString* text = stringIn(value))
        date = TextRules::parseDate(*text);
    if (!date.isValid())
        return false;
    day = date.toJulianDay();
    return true;
}

template <typename T> int compareValues(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

ConditionTruth truth(bool value) {
    return value ? ConditionTruth::True : ConditionTruth::False;
}

QString describe(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Counter:
    case ColumnKind::Number:
        return u"number"_s;
    case ColumnKind::Money:
        return u"money"_s;
    case ColumnKind::Date:
        return u"date"_s;
    case ColumnKind::YesNo:
        return u"yes/no"_s;
    case ColumnKind::Text:
    case ColumnKind::Memo:
        break;
    }
    return u"text"_s;
}

[[noreturn]] void mismatch(const ConditionLiteral& literal, ColumnKind kind) {
    throwConditionError(
        u"'%1' cannot be compared with a %2 column"_s.arg(literal.text, describe(kind)),
        literal.position);
}

} // namespace

ConditionTest ConditionTest::nullTest(const ConditionColumn& column, bool wantNull) {
    ConditionTest test;
    test.m_column = column.index;
    test.m_mode = wantNull ? Mode::IsNull : Mode::IsNotNull;
    return test;
}

ConditionTest ConditionTest::bind(const ConditionColumn& column, ConditionOperator op,
                                  const ConditionLiteral& literal) {
    using Type = ConditionLiteral::Type;
    ConditionTest test;
    test.m_column = column.index;
    test.m_kind = column.kind;
    test.m_op = op;
    if (literal.type == Type::Null) {
        // "= Null" and "<> Null" ask for (non-)empty fields; any other comparison with Null
        // is unknown for every row.
        if (op == ConditionOperator::Equal || op == ConditionOperator::NotEqual)
            return nullTest(column, op == ConditionOperator::Equal);
        test.m_mode = Mode::Unknown;
        return test;
    }
    if (op == ConditionOperator::Like || op == ConditionOperator::NotLike) {
        // Whatever the column holds, like compares its text with the pattern.
        test.m_mode = Mode::Like;
        test.m_pattern = ConditionLikePattern::compile(literal.text, literal.position);
        return test;
    }
    switch (column.kind) {
    case ColumnKind::Counter:
    case ColumnKind::Number:
    case ColumnKind::Money:
        if ((literal.type != Type::Text && literal.type != Type::Number) ||
            !TextRules::IsNumeric(literal.text))
            mismatch(literal, column.kind);
        test.m_mode = Mode::Number;
        test.m_number = TextRules::CDbl(literal.text);
        // An amount is compared as the row's Money is: its exact ten-thousandths as a double.
        if (column.kind == ColumnKind::Money)
            if (const std::optional<Money> amount = Money::fromText(literal.text))
                test.m_number = amount->toDouble();
        break;
    case ColumnKind::YesNo: {
        bool flag = false;
        if (literal.type == Type::Date || !readFlag(literal.text, flag))
            mismatch(literal, column.kind);
        test.m_mode = Mode::Flag;
        test.m_number = flag ? -1 : 0;
        break;
    }
    case ColumnKind::Date: {
        if (literal.type != Type::Date && literal.type != Type::Text)
            mismatch(literal, column.kind);
        QString text = literal.text.trimmed();
        if (text.size() >= 2 && text.startsWith(u'#') && text.endsWith(u'#'))
            text = text.mid(1, text.size() - 2);
        const QDate date = TextRules::parseDate(text);
        if (!date.isValid())
            mismatch(literal, column.kind);
        test.m_mode = Mode::Date;
        test.m_day = date.toJulianDay();
        break;
    }
    case ColumnKind::Text:
    case ColumnKind::Memo:
        test.m_mode = Mode::Text;
        test.m_text = literal.text;
        break;
    }
    return test;
}

QVariant ConditionTest::equalityValue() const {
    if (m_op != ConditionOperator::Equal)
        return {};
    if (m_mode == Mode::Text)
        return m_text;
    if (m_mode == Mode::Number && m_kind == ColumnKind::Counter)
        return m_number;
    return {};
}

ConditionTruth ConditionTest::ordered(int comparison) const {
    switch (m_op) {
    case ConditionOperator::Equal:
        return truth(comparison == 0);
    case ConditionOperator::NotEqual:
        return truth(comparison != 0);
    case ConditionOperator::Less:
        return truth(comparison < 0);
    case ConditionOperator::Greater:
        return truth(comparison > 0);
    case ConditionOperator::LessOrEqual:
        return truth(comparison <= 0);
    case ConditionOperator::GreaterOrEqual:
        return truth(comparison >= 0);
    default:
        return ConditionTruth::Unknown;
    }
}

ConditionTruth ConditionTest::evaluate(const QVariant& value) const {
    switch (m_mode) {
    case Mode::IsNull:
        return truth(isNullValue(value));
    case Mode::IsNotNull:
        return truth(!isNullValue(value));
    case Mode::Unknown:
        return ConditionTruth::Unknown;
    default:
        break;
    }
    if (isNullValue(value))
        return ConditionTruth::Unknown;
    switch (m_mode) {
    case Mode::Number: {
        double number = 0;
        if (!numberOf(value, number))
            return ConditionTruth::Unknown;
        return ordered(compareValues(number, m_number));
    }
    case Mode::Flag: {
        bool flag = false;
        if (!flagOf(value, flag))
            return ConditionTruth::Unknown;
        return ordered(compareValues(flag ? -1.0 : 0.0, m_number));
    }
    case Mode::Date: {
        qint64 day = 0;
        if (!dayOf(value, day))
            return ConditionTruth::Unknown;
        return ordered(compareValues(day, m_day));
    }
    case Mode::Text:
        if (const QString* text = stringIn(value))
            return ordered(QString::compare(*text, m_text, Qt::CaseInsensitive));
        return ordered(QString::compare(TextRules::toText(value), m_text, Qt::CaseInsensitive));
    case Mode::Like: {
        const QString* text = stringIn(value);
        const bool match =
            text ? m_pattern.matches(*text) : m_pattern.matches(TextRules::toText(value));
        return truth(match == (m_op == ConditionOperator::Like));
    }
    default:
        return ConditionTruth::Unknown;
    }
}

} // namespace tovin
