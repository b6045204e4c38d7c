#pragma once

#include "core/files/OutputFile.h"

#include <QString>

namespace tovin {

class Prompts;

// What a screen does before it writes a file the user named: a file the rules refuse is told
// and not written, and an existing file is replaced only after "Replace NAME?" was answered Yes
// (No is the default, so a stray Enter keeps the file). True when the screen may write.
bool confirmOutput(Prompts& prompts, const QString& path, const OutputRules& rules,
                   const QString& title);

} // namespace tovin
