#pragma once

#include "core/query/Condition.h"
#include "core/query/ConditionLikePattern.h"

#include <QString>
#include <QVariant>

namespace tovin {

enum class ConditionOperator {
    Equal,
    NotEqual,
    Less,
    Greater,
    LessOrEqual,
    GreaterOrEqual,
    Like,
    NotLike,
    IsNull,
    IsNotNull,
};

// A value written in a condition, before it is converted to its column's kind.
struct ConditionLiteral {
    enum class Type { Text, Number, Boolean, Null, Date };
    Type type = Type::Text;
    QString text;           // as written (quotes and hashes removed, '' turned into ')
    qsizetype position = 0; // where it starts in the condition text, for error messages
};

// The outcome of a test: comparisons with a null value are unknown, which never matches.
enum class ConditionTruth : unsigned char { False, True, Unknown };

// One comparison of a column with a literal, converted to the column's kind when it is built so
// that testing a row does no parsing and no allocation for the common kinds.
class ConditionTest {
public:
    // Throws error 3001 when the literal cannot be compared with the column (a word against a
    // number, money, date or yes/no column, or a malformed like pattern).
    static ConditionTest bind(const ConditionColumn& column, ConditionOperator op,
                              const ConditionLiteral& literal);
    // "is null" (wantNull) or "is not null".
    static ConditionTest nullTest(const ConditionColumn& column, bool wantNull);

    int column() const { return m_column; }
    ConditionTruth evaluate(const QVariant& value) const;
    // For "column = value" on a text or counter column, the value (a QString or a double):
    // every row the test passes holds it, up to the letter case of a text. Null for any other
    // test.
    QVariant equalityValue() const;

private:
    enum class Mode : unsigned char { IsNull, IsNotNull, Unknown, Number, Flag, Date, Text, Like };

    ConditionTruth ordered(int comparison) const;

    int m_column = -1;
    ColumnKind m_kind = ColumnKind::Text;
    Mode m_mode = Mode::Unknown;
    ConditionOperator m_op = ConditionOperator::Equal;
    double m_number = 0;            // Number, and Flag as -1 / 0
    qint64 m_day = 0;               // Date, as a Julian day
    QString m_text;                 // Text
    ConditionLikePattern m_pattern; // Like (NotLike negates)
};

} // namespace tovin
