#pragma once

#include <QString>
#include <optional>

namespace tovin::CatalogueCheck {

// How thoroughly the pages are read: not at all for a first look at a file to copy, quick for a
// copy just written, full before a file is put in the catalogue's place.
enum class Depth { Layout, Quick, Full };

// Why the file is not a whole catalogue of this program, as one sentence; nothing when it is.
// It must start with the database header, pass the database's own check of its pages, hold
// every table of the catalogue with its columns, and not be of a newer layout. The file is
// opened read-only. For a page check it is taken as unchanging besides, so no journal file is
// made beside a copy nor a stale one read; the first look is for a catalogue in use, whose
// journal belongs to it.
std::optional<QString> problem(const QString& path, Depth depth);

// The number of products of a catalogue copy, or -1 when it cannot be read.
qint64 productCount(const QString& path);

} // namespace tovin::CatalogueCheck
