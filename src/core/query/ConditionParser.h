#pragma once

#include "core/query/Condition.h"
#include "core/query/ConditionTest.h"
#include "core/query/ConditionToken.h"

#include <QList>
#include <memory>

namespace tovin {

class ConditionTree;

// Reads the tokens of a condition text into a ConditionTree, binding column names and
// converting literals on the way. Chains of "and" / "or" are read in loops, so their length is
// not limited by the stack; only parentheses recurse, and their nesting is limited.
class ConditionParser {
public:
    static constexpr int MaxNesting = 100;

    ConditionParser(const QString& text, const ConditionColumnResolver& columns);

    // The tree of the text, or null for a blank text. Throws error 3001 for a text that does
    // not parse or a literal that does not suit its column, error 3265 for an unknown column.
    std::shared_ptr<ConditionTree> parse();

private:
    int parseAnyChain(int depth);
    int parseAllChain(int depth);
    int parseOperand(int depth);
    int parseComparison(bool negated);
    ConditionColumn resolveColumn(const ConditionToken& token);
    ConditionLiteral parseLiteral();

    const ConditionToken& peek() const { return m_tokens.at(m_pos); }
    const ConditionToken& take();
    [[noreturn]] void fail(const QString& reason, const ConditionToken& token) const;

    QList<ConditionToken> m_tokens;
    qsizetype m_pos = 0;
    const ConditionColumnResolver& m_columns;
    std::shared_ptr<ConditionTree> m_tree;
};

} // namespace tovin
