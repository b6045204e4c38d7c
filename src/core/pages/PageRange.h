#pragma once

#include <QString>

// The first and last page number asked for before catalogue pages are written by page number.
namespace tovin::PageRange {

enum class Outcome {
    Pages,    // both answers hold: write pages from..to
    AskAgain, // "Invalid Number - Enter ONLY Numbers In The Range Listed!", then the start again
    Stop,     // the run ends without a page
};

struct Answer {
    Outcome outcome = Outcome::Stop;
    int from = 0;
    int to = 0;
};

// The starting page alone, before the ending page is asked for: "0" ends the run and nothing
// typed is refused at once. Pages means "ask for the ending page".
Outcome readStart(const QString& start);

// Both answers, once readStart let the start through. Nothing or "0" for the end ends the run.
// The start may be 0 to `highest` (0 is page 1), the end 1 to the largest 16-bit number. Numbers
// are read as everywhere else, thousands grouping included: "1,000" is page 1000, never page 1.
Answer read(const QString& start, const QString& end, int highest);

} // namespace tovin::PageRange
