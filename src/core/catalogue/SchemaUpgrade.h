#pragma once

#include <QString>
#include <functional>

namespace tovin {

class StorageConnection;

namespace SchemaUpgrade {

// The layout version a catalogue file records (table SchemaVersion); 1 for a catalogue of the
// program's first layout, which may lack the table; 0 for a file that is not a catalogue.
int versionOf(StorageConnection& connection);

// Checks the layout version of a just opened catalogue file and brings an older layout up to
// date in one transaction. A catalogue written by a newer program raises error 3049 with a
// plain message and is left untouched. A file that cannot be written (read-only) keeps its old
// layout, which the program still reads and writes.
void checkAndUpgrade(StorageConnection& connection, const QString& path);

// Why a catalogue named `name` of a newer layout `version` is not opened.
QString newerLayout(const QString& name, int version);

// Runs just before an older layout is brought up to date, with the file's path and no
// transaction open, so the file can be copied as it was (the program keeps a backup).
void setBeforeUpgrade(std::function<void(const QString& path)> hook);

} // namespace SchemaUpgrade

} // namespace tovin
