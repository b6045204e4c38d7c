#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace tovin {

class SqliteHandle;

namespace CatalogueCheck {

// How thoroughly the pages are read: not at all for a first look at a file to copy, quick for a
// copy just written, full before a file is put in the catalogue's place.
enum class Depth { Layout, Quick, Full };

// Why the file is not a whole catalogue of this program, as one sentence; nothing when it is.
// It must be a database, pass the database's own check of its pages, hold every table of the
// catalogue with its columns, and not be of a newer layout. Everything is read through the
// database: the first look is for a catalogue in use, whose journal belongs to it, and the
// program may have it open (another descriptor of the file would drop the database's locks).
// For a page check the file is taken as unchanging besides, so no journal file is made beside
// a copy nor a stale one read.
std::optional<QString> problem(const QString& path, Depth depth);

// The same for a file already open on `file`, named `path` in the sentence.
std::optional<QString> problem(SqliteHandle& file, const QString& path, Depth depth);

// A read-only connection to a catalogue that may be in use, as another program's connection
// sees it (with what its write-ahead log holds). A catalogue on read-only storage cannot be
// written by anyone, so it is read as unchanging when no log with content lies beside it.
// Null with the reason, as one sentence, when it cannot be read.
std::unique_ptr<SqliteHandle> openInUse(const QString& path, QString& refusal);

// The number of products of a catalogue copy, or -1 when it cannot be read.
qint64 productCount(const QString& path);

} // namespace CatalogueCheck

} // namespace tovin
