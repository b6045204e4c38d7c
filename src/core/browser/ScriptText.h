#pragma once

#include <QString>

namespace tovin {

// A text as a script string literal, quotes included, so that text from a supplier or the user
// can be handed to a page's script as data and never runs as code.
QString scriptString(const QString& text);

} // namespace tovin
