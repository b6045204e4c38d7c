#pragma once

#include "support/ui/torture/TortureLog.h"

#include <QString>
#include <optional>

namespace tovin {
class FrmMain;
}

// Batch commands run as separate processes on one catalogue, several at once and some killed
// part way, beside the window of this process driven by the monkey; after every wave the
// catalogue is checked whole and holding exactly what the commands that ended did.
namespace tovin::test::torture {

struct Options {
    quint64 seed = 0;
    int seconds = 60;
    std::optional<Log> replay; // the recorded actions instead of random ones
    QString logOut;            // where the actions are written as they happen
};

struct Result {
    bool passed = true;
    int waves = 0;
    int commands = 0;
    QString failure;
    QString logPath;
};

// Runs on the catalogue the loaded and shown main window has open, in the program folder
// `folder`.
Result run(FrmMain& main, const QString& folder, const QString& settingsFile,
           const Options& options);

} // namespace tovin::test::torture
