#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace tovin {

class Prompts;

// Open Database on an Access file that holds a catalogue of the older program: converts it into
// a new catalogue beside it (asking before an existing file is replaced), with progress and
// Cancel, and gives the new catalogue's path. Nothing is given when the file is not such a
// catalogue (the user is told why), when the user declines or cancels, or when the conversion
// fails (the user is told, through `prompts`); the old file is only read.
std::optional<QString> convertOldCatalogue(Prompts& prompts, QWidget* parent,
                                           const QString& oldPath, const QString& openCatalogue);

} // namespace tovin
