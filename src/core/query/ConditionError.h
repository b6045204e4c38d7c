#pragma once

#include <QString>

namespace tovin {

// Raises the run-time error for a condition text that cannot be used (error 3001), naming the
// reason and the character position where the problem was found.
[[noreturn]] void throwConditionError(const QString& reason, qsizetype position);

// Raises the run-time error for a column the table does not have (error 3265).
[[noreturn]] void throwUnknownConditionColumn(const QString& name);

} // namespace tovin
