#pragma once

#include <QString>

namespace tovin::BackupRestore {

// Puts a copy in the catalogue's place. The copy must be a whole catalogue of this program
// (every page read and checked, every table there); it is taken in through a hidden file
// beside the catalogue that replaces it in one step, with the catalogue's journal files
// emptied and removed first so that none is read into the restored file. The current file is
// backed up first (its bytes as they are when it is itself damaged). Gives the path of that
// backup. A refusal raises a RunTimeError and leaves the catalogue as it was, byte for byte.
// No connection of this program may hold the catalogue open meanwhile.
QString restore(const QString& copy, const QString& catalogue);

} // namespace tovin::BackupRestore
