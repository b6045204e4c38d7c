#pragma once

#include <QString>

class QWidget;

namespace tovin {
struct PromptsInUse;
}

// Each action tells its outcome through `prompts`.
namespace tovin::BackupActions {

// The copy of the day, taken at the first opening of a catalogue on a day (when its Backups
// folder has no copy dated today yet). A file that is missing or no catalogue is left to the
// opening to report, a catalogue on a server to the server's own backups. A failure is told
// once and the work goes on.
void dailyOnOpen(const PromptsInUse& prompts, const QString& catalogue);

// The copy kept before an older catalogue's layout is brought up to date; a failure is told
// once. A catalogue on a server has no file to copy: the server's own backups keep it.
void beforeUpgrade(const PromptsInUse& prompts, const QString& catalogue);

// Tells that a backup failed, once per catalogue while the program runs: the shop's work
// must not be held up by the same message at every opening.
void tellFailure(const PromptsInUse& prompts, const QString& catalogue, const QString& reason);

// File > Back Up Now: a copy dated today, with the older copies rotated; tells where it went
// or why none was made (for a catalogue on a server, that the server backs it up). Gives the
// copy's path, empty when none was made.
QString backUpNow(const PromptsInUse& prompts, const QString& catalogue);

// File > Restore From Backup: lists the copies to choose from, asks (No is the default),
// closes the screens, restores and tells the outcome. True when the screens were closed (the
// catalogue replaced, or left as it was when the restore was refused): the caller opens them
// again. A catalogue on a server is restored from the server's own backups: the user is told so.
bool restoreFromBackup(const PromptsInUse& prompts, QWidget* parent, const QString& catalogue);

} // namespace tovin::BackupActions
