#include "core/pages/PageRange.h"

#include "core/text/NumberText.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin::PageRange {

namespace {

// The whole text as a number between the bounds; the leading-number reading would take "1,000"
// as 1 and "$5" as 0 and so pass a page nobody asked for.
bool within(const QString& text, double lowest, double highest, double* value) {
    if (!TextRules::IsNumeric(text))
        return false;
    *value = TextRules::CDbl(text);
    return *value >= lowest && *value <= highest;
}

} // namespace

Outcome readStart(const QString& start) {
    const QString typed = start.trimmed();
    if (typed == u"0"_s)
        return Outcome::Stop;
    if (typed.isEmpty())
        return Outcome::AskAgain;
    return Outcome::Pages;
}

Answer read(const QString& start, const QString& end, int highest) {
    const QString last = end.trimmed();
    if (last.isEmpty() || last == u"0"_s)
        return {};
    double from = 0;
    double to = 0;
    if (!within(start, 0, highest, &from) || !within(end, 1, TextRules::IntegerMax, &to))
        return {Outcome::AskAgain};
    return {Outcome::Pages, std::max(1, int(from)), int(to)};
}

} // namespace tovin::PageRange
