#pragma once

#include <QString>
#include <QStringList>

namespace tovin::TextRules {

// The name of `names` that `typed` is likeliest a slip for: the fewest letters added, left out
// or changed, ignoring letter case; of names equally near, the first. Empty when `names` is.
QString nearestName(const QString& typed, const QStringList& names);

} // namespace tovin::TextRules
