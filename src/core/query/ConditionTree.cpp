#include "core/query/ConditionTree.h"

#include <algorithm>

namespace tovin {

namespace {

ConditionTruth negated(ConditionTruth value) {
    switch (value) {
    case ConditionTruth::False:
        return ConditionTruth::True;
    case ConditionTruth::True:
        return ConditionTruth::False;
    case ConditionTruth::Unknown:
        break;
    }
    return ConditionTruth::Unknown;
}

} // namespace

int ConditionTree::addTest(ConditionTest test, bool negated) {
    m_tests.push_back(std::move(test));
    Node node;
    node.kind = NodeKind::Test;
    node.negated = negated;
    node.test = int(m_tests.size()) - 1;
    m_nodes.push_back(std::move(node));
    return int(m_nodes.size()) - 1;
}

int ConditionTree::addGroup(NodeKind kind, std::vector<int> children, bool negated) {
    Node node;
    node.kind = kind;
    node.negated = negated;
    node.children = std::move(children);
    m_nodes.push_back(std::move(node));
    return int(m_nodes.size()) - 1;
}

void ConditionTree::negate(int node) {
    m_nodes[node].negated = !m_nodes[node].negated;
}

void ConditionTree::finish(int root) {
    m_root = root;
    m_columns.clear();
    for (const ConditionTest& test : m_tests)
        m_columns.append(test.column());
    std::sort(m_columns.begin(), m_columns.end());
    m_columns.erase(std::unique(m_columns.begin(), m_columns.end()), m_columns.end());
}

std::vector<const ConditionTest*> ConditionTree::requiredTests() const {
    std::vector<const ConditionTest*> tests;
    if (m_root >= 0)
        collectRequired(m_root, tests);
    return tests;
}

void ConditionTree::collectRequired(int index, std::vector<const ConditionTest*>& tests) const {
    const Node& node = m_nodes[index];
    if (node.negated)
        return;
    if (node.kind == NodeKind::Test)
        tests.push_back(&m_tests[node.test]);
    else if (node.kind == NodeKind::All)
        for (int child : node.children)
            collectRequired(child, tests);
}

// "and" is false as soon as one part is false, "or" true as soon as one part is true; otherwise
// an unknown part makes the group unknown.
ConditionTruth ConditionTree::evaluate(int index, const ConditionRowAccessor& row) const {
    const Node& node = m_nodes[index];
    ConditionTruth result;
    if (node.kind == NodeKind::Test) {
        const ConditionTest& test = m_tests[node.test];
        result = test.evaluate(row(test.column()));
    } else {
        const ConditionTruth decisive =
            node.kind == NodeKind::All ? ConditionTruth::False : ConditionTruth::True;
        result = negated(decisive);
        for (int child : node.children) {
            const ConditionTruth part = evaluate(child, row);
            if (part == decisive) {
                result = decisive;
                break;
            }
            if (part == ConditionTruth::Unknown)
                result = ConditionTruth::Unknown;
        }
    }
    return node.negated ? negated(result) : result;
}

} // namespace tovin
