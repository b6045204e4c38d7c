#pragma once

#include <QString>
#include <optional>

// What the main window's Open Database and Save DataBase As need to know about files: which
// files the dialogs list, the name a copy is written under, and whether a file is a catalogue
// this program can open.
namespace tovin::CatalogueFile {

// The file dialogs' filter: the program's own .mde catalogue and the Access names it may carry.
inline constexpr char16_t DialogFilter[] = u"DataBases|*.mde;*.mdb;*.accdb";

// A name chosen for a copy, with ".mde" added when it does not end in one of the filter's
// extensions (a bare "backup1" would otherwise be hidden by the Open dialog).
QString withCatalogueSuffix(const QString& fileName);

// Why the file cannot be opened as the catalogue, in plain words; nothing when it can. A file
// is a catalogue when the database opens it and it holds every table of the catalogue with its
// columns (further tables and columns are allowed).
std::optional<QString> refusal(const QString& path);

} // namespace tovin::CatalogueFile
