#pragma once

#include "core/storage/SqliteHandle.h"

#include <QString>
#include <memory>

// Small file-level steps the backups share, done through connections of their own.
namespace tovin::SqliteFile {

using Outcome = SqliteOutcome;
using Access = SqliteAccess;

// A connection of its own to the file, waiting for a writer that holds the whole file as long
// as the catalogue's connections do.
std::unique_ptr<SqliteHandle> open(const QString& path, Access access);

// The database's answer to one statement run on its own connection to the file.
Outcome run(const QString& path, Access access, const QString& sql);

// Removes a database file and the journal files the database may have left beside it.
void removeWithJournals(const QString& path);

// Puts the folder itself on disk, so that a rename in it lasts.
void syncFolder(const QString& folder);

// Whether the file lies on storage mounted read-only (asked of the file system, not the file).
bool onReadOnlyStorage(const QString& path);

// Whether a write-ahead log with content lies beside the database file.
bool hasLogBeside(const QString& path);

} // namespace tovin::SqliteFile
