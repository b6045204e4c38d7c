#pragma once

#include <QString>
#include <QVariant>

namespace tovin::TextRules {

// The text of a field value as the platform converts it: null -> "", yes/no -> "True"/"False",
// numbers in plain decimal, dates as MM/DD/YYYY.
QString toText(const QVariant& value);

} // namespace tovin::TextRules
