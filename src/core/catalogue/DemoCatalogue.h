#pragma once

#include <QString>

namespace tovin::DemoCatalogue {

// Makes a new catalogue file filled from a seed file (JSON: {"tables": {"<table>": [ {column:
// value, ...}, ... ]}}). Without a seed file the seed built into the program is used.
// Raises a RunTimeError naming the table, row and column of any value the schema refuses.
void create(const QString& path, const QString& seedFile = QString());

} // namespace tovin::DemoCatalogue
