#pragma once

class QWidget;

namespace tovin {

// Run at the start of a screen's load: gives the screen and every control on it the program's
// shared font. The program carries no string table, so
// every caption and tip stays as the screen designed it.
void ApplyControlTexts(QWidget* form);

} // namespace tovin
