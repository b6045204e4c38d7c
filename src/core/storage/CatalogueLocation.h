#pragma once

#include <QString>

namespace tovin::CatalogueLocation {

// A catalogue lives either in a file (a path) or on a PostgreSQL server (a libpq connection
// URI, "postgresql://USER@HOST/DB" or "postgres://..."). Everything that takes a catalogue's
// place (--db, the settings, the catalogue path every screen opens) takes either.
bool isServer(const QString& location);

// The location made whole: a file's absolute path, a server address as it is.
QString absolute(const QString& location);

// True when the location names a file that is not there; a server address is never missing
// here (connecting tells whether it is there).
bool isMissingFile(const QString& location);

// The address as it may be shown and kept: a server URI without any password in it (in the
// user part or among the parameters); a path as it is.
QString withoutPassword(const QString& location);

// The address as a message tells it: a server URI with no user part and no user or password
// among its parameters (who connects is nobody's business who reads the message or the log);
// a path without a password, as withoutPassword gives it.
QString forMessages(const QString& location);

// How the catalogue's title names where it lives: "database on host" for a server (the socket
// folder standing for the host when the address gives one), the file's name otherwise.
QString shortName(const QString& location);

} // namespace tovin::CatalogueLocation
