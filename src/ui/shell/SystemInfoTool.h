#pragma once

#include <QString>
#include <QStringList>

namespace tovin::SystemInfoTool {

// Programs that show this machine's system information, most thorough first.
QStringList candidates();

// The full path of the first of them found on the search path (PATH), or "" when none is
// installed.
QString find();

// Starts the program in its own window; false when it could not be started.
bool start(const QString& program);

} // namespace tovin::SystemInfoTool
