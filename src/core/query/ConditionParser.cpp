#include "core/query/ConditionParser.h"

#include "core/query/ConditionError.h"
#include "core/query/ConditionLexer.h"
#include "core/query/ConditionTree.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

using Type = ConditionToken::Type;

// Words that cannot be bare column names; such a column has to be written in brackets.
bool isReserved(const ConditionToken& token) {
    return token.isWord(u"and") || token.isWord(u"or") || token.isWord(u"not") ||
           token.isWord(u"like") || token.isWord(u"is");
}

ConditionOperator operatorFor(const QString& text) {
    if (text == u"=")
        return ConditionOperator::Equal;
    if (text == u"<>")
        return ConditionOperator::NotEqual;
    if (text == u"<")
        return ConditionOperator::Less;
    if (text == u">")
        return ConditionOperator::Greater;
    if (text == u"<=")
        return ConditionOperator::LessOrEqual;
    return ConditionOperator::GreaterOrEqual;
}

QString shown(const ConditionToken& token) {
    return token.type == Type::End ? u"end of text"_s : u"'%1'"_s.arg(token.text);
}

} // namespace

ConditionParser::ConditionParser(const QString& text, const ConditionColumnResolver& columns)
    : m_tokens(ConditionLexer::tokenize(text)), m_columns(columns) {}

std::shared_ptr<ConditionTree> ConditionParser::parse() {
    if (peek().type == Type::End)
        return nullptr;
    m_tree = std::make_shared<ConditionTree>();
    const int root = parseAnyChain(0);
    if (peek().type == Type::RightParen)
        fail(u"unmatched )"_s, peek());
    if (peek().type != Type::End)
        fail(u"expected and, or or the end of the condition, found %1"_s.arg(shown(peek())),
             peek());
    m_tree->finish(root);
    return std::move(m_tree);
}

const ConditionToken& ConditionParser::take() {
    const ConditionToken& token = m_tokens.at(m_pos);
    if (token.type != Type::End)
        ++m_pos;
    return token;
}

void ConditionParser::fail(const QString& reason, const ConditionToken& token) const {
    throwConditionError(reason, token.position);
}

int ConditionParser::parseAnyChain(int depth) {
    std::vector<int> parts{parseAllChain(depth)};
    while (peek().isWord(u"or")) {
        take();
        parts.push_back(parseAllChain(depth));
    }
    if (parts.size() == 1)
        return parts.front();
    return m_tree->addGroup(ConditionTree::NodeKind::Any, std::move(parts), false);
}

int ConditionParser::parseAllChain(int depth) {
    std::vector<int> parts{parseOperand(depth)};
    while (peek().isWord(u"and")) {
        take();
        parts.push_back(parseOperand(depth));
    }
    if (parts.size() == 1)
        return parts.front();
    return m_tree->addGroup(ConditionTree::NodeKind::All, std::move(parts), false);
}

// Any number of "not", then a parenthesised condition or one comparison.
int ConditionParser::parseOperand(int depth) {
    bool negated = false;
    while (peek().isWord(u"not")) {
        take();
        negated = !negated;
    }
    if (peek().type != Type::LeftParen)
        return parseComparison(negated);
    if (depth >= MaxNesting)
        fail(u"parentheses nested too deeply"_s, peek());
    const ConditionToken& open = take();
    const int node = parseAnyChain(depth + 1);
    if (peek().type != Type::RightParen)
        fail(u"missing ) for the ( at character %1"_s.arg(open.position + 1), peek());
    take();
    if (negated)
        m_tree->negate(node);
    return node;
}

ConditionColumn ConditionParser::resolveColumn(const ConditionToken& token) {
    if (token.type != Type::Name && (token.type != Type::Word || isReserved(token)))
        fail(u"expected a column name, found %1"_s.arg(shown(token)), token);
    const ConditionColumn column = m_columns ? m_columns(token.text) : ConditionColumn{};
    if (column.index < 0)
        throwUnknownConditionColumn(token.text);
    return column;
}

int ConditionParser::parseComparison(bool negated) {
    const ConditionColumn column = resolveColumn(take());
    const ConditionToken& op = take();
    if (op.type == Type::Operator) {
        const ConditionOperator comparison = operatorFor(op.text);
        return m_tree->addTest(ConditionTest::bind(column, comparison, parseLiteral()), negated);
    }
    if (op.isWord(u"like"))
        return m_tree->addTest(ConditionTest::bind(column, ConditionOperator::Like, parseLiteral()),
                               negated);
    if (op.isWord(u"not")) {
        if (!take().isWord(u"like"))
            fail(u"expected like after not"_s, op);
        return m_tree->addTest(
            ConditionTest::bind(column, ConditionOperator::NotLike, parseLiteral()), negated);
    }
    if (op.isWord(u"is")) {
        bool wantNull = true;
        if (peek().isWord(u"not")) {
            take();
            wantNull = false;
        }
        if (!take().isWord(u"null"))
            fail(u"expected null after is"_s, op);
        return m_tree->addTest(ConditionTest::nullTest(column, wantNull), negated);
    }
    fail(u"expected a comparison operator, found %1"_s.arg(shown(op)), op);
}

ConditionLiteral ConditionParser::parseLiteral() {
    const ConditionToken& token = take();
    ConditionLiteral literal;
    literal.text = token.text;
    literal.position = token.position;
    switch (token.type) {
    case Type::String:
        literal.type = ConditionLiteral::Type::Text;
        return literal;
    case Type::Number:
        literal.type = ConditionLiteral::Type::Number;
        return literal;
    case Type::Date:
        literal.type = ConditionLiteral::Type::Date;
        return literal;
    case Type::Word:
        if (token.isWord(u"null")) {
            literal.type = ConditionLiteral::Type::Null;
            return literal;
        }
        if (token.isWord(u"true") || token.isWord(u"false") || token.isWord(u"yes") ||
            token.isWord(u"no")) {
            literal.type = ConditionLiteral::Type::Boolean;
            return literal;
        }
        break;
    default:
        break;
    }
    fail(u"expected a value, found %1"_s.arg(shown(token)), token);
}

} // namespace tovin
