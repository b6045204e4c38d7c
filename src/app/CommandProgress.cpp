#include "app/CommandProgress.h"

namespace tovin {

namespace {
// Off unless main finds a terminal: a command run from a test or a script stays quiet.
bool& progressShown() {
    static bool shown = false;
    return shown;
}
} // namespace

void CommandProgress::setShown(bool shown) {
    progressShown() = shown;
}

bool CommandProgress::shown() {
    return progressShown();
}

void CommandProgress::print(QTextStream& out, const QString& line) {
    if (!progressShown())
        return;
    out << line << '\n';
    out.flush();
}

} // namespace tovin
