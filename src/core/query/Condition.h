#pragma once

#include "core/storage/ColumnKind.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

namespace tovin {

class ConditionTree;

// A column named in a condition: its position in the row and how it stores values.
struct ConditionColumn {
    int index = -1;
    ColumnKind kind = ColumnKind::Text;
};

// Maps a column name (already without brackets, any letter case) to its index and kind;
// returns index -1 when the table has no such column.
using ConditionColumnResolver = std::function<ConditionColumn(const QString& name)>;

// Returns the value of column `index` of the row being tested (QVariant() for null), in the
// value conventions of ColumnKind.h.
using ConditionRowAccessor = std::function<QVariant(int index)>;

// A filter, find or where text, parsed once and bound to the columns of one table, then tested
// against any number of rows.
//
// The text is a chain of comparisons joined by "and" / "or" ("and" binds tighter), grouped with
// parentheses and negated with "not". A comparison is a column (bracketed or bare) followed by
// =, <>, <, >, <=, >= (also =< and =>), like, not like, is null or is not null and a value:
// 'quoted text' ('' for a quote), a number, True/False/Yes/No, Null or #MM/DD/YYYY#. Literals
// are converted to the column's kind when the text is parsed. A comparison with a null value
// is unknown, and unknown never matches, also under "not"; "= Null" and "<> Null" ask whether
// the value is null. Empty texts count as null.
//
// Copies share one immutable tree, so a Condition is cheap to pass around and to copy.
class Condition {
public:
    // The empty condition: matches every row.
    Condition();

    // Parses and binds `text`. Throws RunTimeError(ErrorNumber::WrongArguments) for a text that
    // does not parse or a literal that cannot be compared with its column, and
    // RunTimeError(ErrorNumber::ItemNotFound) for an unknown column. An empty or blank text
    // gives the empty condition.
    static Condition parse(const QString& text, const ConditionColumnResolver& columns);

    bool isEmpty() const;
    bool matches(const ConditionRowAccessor& row) const;

    // Indices of the columns the condition reads, each once, ascending.
    QList<int> columns() const;

    // "column = value" that every matching row satisfies (alone or within an "and" chain, not
    // negated), on a text column (the value a QString, compared ignoring letter case) or a
    // counter column (a double). A lookup by value can find the candidates; the whole condition
    // still decides.
    struct Equality {
        int column = -1;
        QVariant value;
    };
    QList<Equality> requiredEqualities() const;

private:
    explicit Condition(std::shared_ptr<const ConditionTree> tree);

    std::shared_ptr<const ConditionTree> m_tree; // null for the empty condition
};

// Doubles every apostrophe so typed text can be placed between single quotes in a condition:
// O'Brien-7 -> O''Brien-7.
QString quoteConditionValue(const QString& typed);

} // namespace tovin
