#pragma once

#include <QString>

namespace tovin {

// The catalogue the window works on: a file path or a postgresql:// address, empty until one is
// opened. The window's shell owns it (ShellState); only the main window changes it, when it
// opens, restores or shares a catalogue, and every screen it makes reads it when it opens its
// own connection.
struct CatalogueInUse {
    QString path;
};

} // namespace tovin
