#pragma once

#include <QString>

namespace tovin::ProgramFolder {

// The program folder is the executable's folder, or the folder given with --app-folder.
void setOverride(const QString& folder);
// The program folder with a trailing "/" (a root folder gives "//", which still opens files).
QString path();

// Sets AppFolder and PicturesFolder of the shared state from the program folder.
void applyToSharedState();

// Finds a file named by a path that may use "\" separators (Windows data) or differ in letter
// case from the file on disk ("Pictures\NoPic.jpg" finds "pictures/NoPic.jpg"). Relative paths
// are taken from the program folder. Returns the path that exists, or the normalised path
// when nothing matches.
QString resolveFile(const QString& storedPath);
bool fileExists(const QString& storedPath);

} // namespace tovin::ProgramFolder
