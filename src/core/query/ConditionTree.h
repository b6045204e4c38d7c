#pragma once

#include "core/query/Condition.h"
#include "core/query/ConditionTest.h"

#include <QList>
#include <vector>

namespace tovin {

// The parsed form of a condition: "and" and "or" groups over comparisons, each group holding
// its whole chain so that a long chain is one flat list rather than a deep tree. Built once by
// the parser, then only read.
class ConditionTree {
public:
    enum class NodeKind : unsigned char { All, Any, Test }; // and, or, one comparison

    int addTest(ConditionTest test, bool negated);
    int addGroup(NodeKind kind, std::vector<int> children, bool negated);
    void negate(int node);
    // Sets the node the evaluation starts from and collects the columns read.
    void finish(int root);

    ConditionTruth evaluate(const ConditionRowAccessor& row) const { return evaluate(m_root, row); }
    const QList<int>& columns() const { return m_columns; }
    // The tests that decide alone against a row: the root, or the tests of the "and" chains
    // at the root, none of them negated. A row they fail does not match.
    std::vector<const ConditionTest*> requiredTests() const;

private:
    struct Node {
        NodeKind kind = NodeKind::Test;
        bool negated = false;
        int test = -1;             // Test: index into m_tests
        std::vector<int> children; // All / Any: indices into m_nodes
    };

    ConditionTruth evaluate(int node, const ConditionRowAccessor& row) const;
    void collectRequired(int node, std::vector<const ConditionTest*>& tests) const;

    std::vector<Node> m_nodes;
    std::vector<ConditionTest> m_tests;
    QList<int> m_columns;
    int m_root = -1;
};

} // namespace tovin
