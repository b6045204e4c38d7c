#pragma once

#include <QString>
#include <QTextStream>

namespace tovin {

// The progress lines of the batch commands ("Adding Product ID # ...", "Copying Products: ...").
// They are for a person watching a terminal; a command whose output goes to a file, a pipe or a
// nightly job's mail prints only its closing totals.
class CommandProgress {
public:
    // Whether progress lines are printed at all: main turns them on when standard output is a
    // terminal, and --quiet keeps them off.
    static void setShown(bool shown);
    static bool shown();
    // Prints one progress line and hands it to the terminal at once; nothing when not shown.
    static void print(QTextStream& out, const QString& line);
};

} // namespace tovin
