#pragma once

#include <QString>

namespace tovin {

class RunTimeError;

// What the user is told when the catalogue cannot use a search condition (a word typed for a
// money column, a column the products do not have): that the search was not used, why, and that
// the products shown before it stay.
QString refusedSearchMessage(const RunTimeError& error);

} // namespace tovin
