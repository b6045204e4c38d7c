#include "core/query/Condition.h"

#include "core/query/ConditionParser.h"
#include "core/query/ConditionTree.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

Condition::Condition() = default;

Condition::Condition(std::shared_ptr<const ConditionTree> tree) : m_tree(std::move(tree)) {}

Condition Condition::parse(const QString& text, const ConditionColumnResolver& columns) {
    return Condition(ConditionParser(text, columns).parse());
}

bool Condition::isEmpty() const {
    return !m_tree;
}

bool Condition::matches(const ConditionRowAccessor& row) const {
    return !m_tree || m_tree->evaluate(row) == ConditionTruth::True;
}

QList<int> Condition::columns() const {
    return m_tree ? m_tree->columns() : QList<int>();
}

QList<Condition::Equality> Condition::requiredEqualities() const {
    QList<Equality> equalities;
    if (!m_tree)
        return equalities;
    for (const ConditionTest* test : m_tree->requiredTests())
        if (QVariant value = test->equalityValue(); value.isValid())
            equalities << Equality{test->column(), std::move(value)};
    return equalities;
}

QString quoteConditionValue(const QString& typed) {
    QString quoted = typed;
    quoted.replace(u'\'', u"''"_s);
    return quoted;
}

} // namespace tovin
