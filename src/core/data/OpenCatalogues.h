#pragma once

#include <QString>
#include <QStringList>

// The catalogue files this program's connections have open, one entry per connection. A
// catalogue copy never replaces one of them: a screen keeps the catalogue it opened when another
// one is opened, and would go on reading and writing the file the copy replaced. Connections on
// worker threads are counted too.
namespace tovin::OpenCatalogues {

void opened(const QString& path);
void closed(const QString& path);
QStringList all();

} // namespace tovin::OpenCatalogues
