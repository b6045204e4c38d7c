#pragma once

#include "support/ui/torture/TortureLog.h"

#include <QString>
#include <optional>

namespace tovin {
class FrmMain;
}

namespace tovin::test::torture {
class TortureCluster;
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
    // A catalogue on this private cluster's server (the window has it open): its backends are
    // ended and the server restarted at random moments. None: a catalogue file.
    TortureCluster* cluster = nullptr;
};

struct Result {
    bool passed = true;
    int waves = 0;
    int commands = 0;
    int kills = 0;        // commands killed outright while they ran
    int terminations = 0; // backends ended (server)
    int restarts = 0;     // server restarts
    QString failure;
    QString logPath;
};

// An error that escaped an event handler of the window (the application's notify caught it:
// in the program itself it would end the process). The run fails with it after the wave.
void noteEscapedError(const QString& what);

// Runs on the catalogue the loaded and shown main window has open, in the program folder
// `folder`.
Result run(FrmMain& main, const QString& folder, const QString& settingsFile,
           const Options& options);

} // namespace tovin::test::torture
