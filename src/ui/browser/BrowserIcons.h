#pragma once

#include <QIcon>
#include <QString>

namespace tovin {

// The browser tool bar's icons, drawn rather than loaded: "Back", "Forward", "Stop",
// "Refresh", "Home" and "Search".
QIcon browserIcon(const QString& key);

} // namespace tovin
