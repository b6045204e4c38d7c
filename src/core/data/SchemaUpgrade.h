#pragma once

#include <QString>

struct sqlite3;

namespace tovin::SchemaUpgrade {

// The layout version a catalogue file records (table SchemaVersion); 1 for a catalogue of the
// program's first layout, which may lack the table; 0 for a file that is not a catalogue.
int versionOf(sqlite3* handle);

// Checks the layout version of a just opened catalogue file and brings an older layout up to
// date in one transaction. A catalogue written by a newer program raises error 3049 with a
// plain message and is left untouched. A file that cannot be written (read-only) keeps its old
// layout, which the program still reads and writes.
void checkAndUpgrade(sqlite3* handle, const QString& path);

} // namespace tovin::SchemaUpgrade
