#pragma once

#include <QString>
#include <optional>

// What the program offers for the open catalogue, which lives in a file or on a server: the
// commands that work on the catalogue's file have nothing to work on for a server.
namespace tovin::CatalogueOffers {

// Why the daily backup, Back Up Now and Restore From Backup do not apply to the catalogue at
// `location`, in plain words; nothing when they do (a file).
std::optional<QString> backupRefusal(const QString& location);

// The main window's title: a file's path as it is; for a server the catalogue's short name and
// its address, never with a password.
QString windowTitle(const QString& location);

// The folder the Save As dialog starts in: the catalogue's own folder, or for a server (which
// has none) the program's data folder.
QString copyFolder(const QString& location, const QString& programFolder);

} // namespace tovin::CatalogueOffers
