#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace tovin {

// A compiled "like" pattern: * any run of characters, ? one character, # one digit, [abc],
// [a-z] and [!abc] one character from (or not from) a list; anything else stands for itself.
// Matching ignores letter case and takes time proportional to text length times pattern length
// at worst, never exponential.
class ConditionLikePattern {
public:
    ConditionLikePattern() = default; // matches only the empty text

    // Throws error 3001 for an unclosed "[" or a list with a reversed range such as [z-a].
    static ConditionLikePattern compile(QStringView pattern, qsizetype position = 0);

    bool matches(QStringView text) const;

private:
    enum class Kind : unsigned char { Literal, AnyOne, Digit, List, AnyRun };
    struct Element {
        Kind kind = Kind::Literal;
        bool negated = false; // [!...]
        char16_t folded = 0;  // Literal: the character, case-folded
        int firstRange = 0;   // List: its ranges in m_ranges
        int rangeCount = 0;
    };
    struct Range {
        char16_t low;
        char16_t high;
    };

    bool matchesOne(const Element& element, QChar c) const;
    bool inList(const Element& element, char16_t c) const;

    std::vector<Element> m_elements;
    std::vector<Range> m_ranges;
};

} // namespace tovin
