#pragma once

#include <QString>
#include <functional>

namespace tovin::BackupRestore {

// How long a restore waits for other programs to close the catalogue before it refuses.
constexpr int InUseWaitMs = 5000;

// Puts a copy in the catalogue's place. The copy must be a whole catalogue of this program,
// read as the database reads it (with a write-ahead log beside it) and checked page by page and
// index by index. The catalogue is held alone for the whole restore: while any other program
// (the window, a batch command) has it open, the restore waits up to InUseWaitMs (`waiting` is
// told once when it starts to) and then refuses; a program that opens it meanwhile waits for
// the restore and then sees the restored catalogue. Holding it, the current catalogue is backed
// up (its bytes as they are when it is itself damaged) and the copy's pages are written into
// the catalogue in one transaction, so the file keeps its mode, owner and group. Gives the path
// of the backup of the current catalogue (empty when there was no catalogue file). A refusal
// raises a RunTimeError and leaves the catalogue as it was. No connection of this program may
// hold the catalogue open meanwhile.
QString restore(const QString& copy, const QString& catalogue,
                const std::function<void()>& waiting = {});

} // namespace tovin::BackupRestore
