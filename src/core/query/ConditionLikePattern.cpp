#include "core/query/ConditionLikePattern.h"

#include "core/query/ConditionError.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Case folding, with a shortcut for plain ASCII, which is most of what a catalogue holds.
char16_t fold(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? char16_t(u + (u'a' - u'A')) : u;
    return c.toCaseFolded().unicode();
}

} // namespace

ConditionLikePattern ConditionLikePattern::compile(QStringView pattern, qsizetype position) {
    ConditionLikePattern result;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern.at(i);
        Element element;
        if (c == u'*') {
            // A run of stars is one star.
            if (!result.m_elements.empty() && result.m_elements.back().kind == Kind::AnyRun)
                continue;
            element.kind = Kind::AnyRun;
        } else if (c == u'?') {
            element.kind = Kind::AnyOne;
        } else if (c == u'#') {
            element.kind = Kind::Digit;
        } else if (c == u'[') {
            const qsizetype open = i;
            qsizetype j = i + 1;
            element.kind = Kind::List;
            // "!" negates only when something follows it inside the list: [!] is a lone "!".
            if (j + 1 < n && pattern.at(j) == u'!' && pattern.at(j + 1) != u']') {
                element.negated = true;
                ++j;
            }
            element.firstRange = int(result.m_ranges.size());
            // The first character of a list is always a member, so []] holds "]".
            bool first = true;
            while (j < n && (first || pattern.at(j) != u']')) {
                first = false;
                Range range{pattern.at(j).unicode(), pattern.at(j).unicode()};
                // A "-" between two characters makes a range; at either end it is itself.
                if (j + 2 < n && pattern.at(j + 1) == u'-' && pattern.at(j + 2) != u']') {
                    range.high = pattern.at(j + 2).unicode();
                    j += 2;
                    if (range.high < range.low)
                        throwConditionError(u"reversed range in like pattern"_s, position);
                }
                result.m_ranges.push_back(range);
                ++j;
            }
            if (j >= n)
                throwConditionError(u"unclosed [ in like pattern"_s, position + open);
            element.rangeCount = int(result.m_ranges.size()) - element.firstRange;
            i = j;
        } else {
            element.kind = Kind::Literal;
            element.folded = fold(c);
        }
        result.m_elements.push_back(element);
    }
    return result;
}

bool ConditionLikePattern::inList(const Element& element, char16_t c) const {
    for (int r = element.firstRange; r < element.firstRange + element.rangeCount; ++r)
        if (c >= m_ranges[r].low && c <= m_ranges[r].high)
            return true;
    return false;
}

bool ConditionLikePattern::matchesOne(const Element& element, QChar c) const {
    switch (element.kind) {
    case Kind::Literal:
        return fold(c) == element.folded;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return c >= u'0' && c <= u'9';
    case Kind::List: {
        const bool member = inList(element, c.unicode()) ||
                            inList(element, c.toLower().unicode()) ||
                            inList(element, c.toUpper().unicode());
        return member != element.negated;
    }
    case Kind::AnyRun:
        break;
    }
    return false;
}

// Every element but "*" consumes exactly one character, so remembering only the last star is
// enough: when the text stops matching, the last star takes one more character and matching
// resumes after it. Earlier stars never need to grow.
bool ConditionLikePattern::matches(QStringView text) const {
    const std::size_t m = m_elements.size();
    const qsizetype n = text.size();
    std::size_t p = 0;
    qsizetype t = 0;
    std::size_t starElement = m; // none yet
    qsizetype starText = 0;
    while (t < n) {
        if (p < m && m_elements[p].kind == Kind::AnyRun) {
            starElement = p++;
            starText = t;
        } else if (p < m && matchesOne(m_elements[p], text.at(t))) {
            ++p;
            ++t;
        } else if (starElement < m) {
            p = starElement + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < m && m_elements[p].kind == Kind::AnyRun)
        ++p;
    return p == m;
}

} // namespace tovin
