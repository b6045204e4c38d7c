#pragma once

#include "support/ui/monkey/MonkeyLog.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tovin {
class FrmMain;
struct OrderSession;
} // namespace tovin

// Random input to the whole program, step after step, checking after each that nothing broke.
namespace tovin::test::monkey {

struct RunOptions {
    quint64 seed = 0;
    int steps = 300;
    int seconds = 0;              // stop early after this long (0: no limit)
    int hangSeconds = 120;        // a step that takes longer is a hang
    QString replayOut;            // where the steps are written as they happen
    std::optional<Replay> replay; // replay these steps instead of choosing at random
    // For a run in short stretches among other work on the same catalogue: the screens stay
    // open at the end, the steps stay in replayOut even when the run passes, and the rules
    // about what the catalogue holds are left to the caller (other programs write to it too).
    bool keepScreens = false;
    bool keepReplay = false;
    bool catalogueChecks = true;
    // The backup copies other programs keep are not opened or saved over by the window, so
    // that what a copy holds stays what its backup wrote.
    bool leaveBackupsAlone = false;
    // The order session the window's screens were made with: while a sale from stock is open,
    // stock rows and products may rightly differ. None: no sale is ever seen open.
    const OrderSession* order = nullptr;
};

struct RunResult {
    bool passed = true;
    int steps = 0;
    QString failure;
    QString replayPath;
    bool catalogueRestored = false; // the program said it restored a backup copy or undid a run
};

// Runs the monkey on a main window that is loaded and shown over the catalogue it has open,
// inside `folder` (file dialogs are answered there).
RunResult run(FrmMain& main, const QString& folder, const RunOptions& options);

} // namespace tovin::test::monkey
