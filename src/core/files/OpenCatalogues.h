#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The catalogue files this program's connections have open, one entry per connection, each
// with the identity (device and file number) of the file the connection opened. This list is
// the one owner of that knowledge in the process, and two rules rest on it:
// - A catalogue copy never replaces one of them: a screen keeps the catalogue it opened when
//   another one is opened, and would go on reading and writing the file the copy replaced.
// - Nothing but the database opens one of them, nor its -wal or -shm: on Linux, closing any
//   descriptor of a file drops every lock the process holds on it, so a plain open and close
//   of the catalogue (to read its header, to copy it) would silently take the database's locks
//   away, and another program would then delete the journal the open connection writes to.
// Connections on worker threads are counted too.
namespace tovin::OpenCatalogues {

void opened(const QString& path);
void closed(const QString& path);
QStringList all();

// The open catalogue that the file at `path` is, or whose -wal or -shm it is, by device and
// file number (so a link or another spelling is recognised); nothing when it is none of them.
std::optional<QString> holding(const QString& path);
// The same for a file known by its device and file number (a descriptor already open).
std::optional<QString> holdingFile(quint64 device, quint64 inode);

// Why the file at `path` must not be opened except through the database, in plain words:
// it is an open catalogue or one of its working files. Nothing when a plain open is safe.
std::optional<QString> plainOpenRefusal(const QString& path);

} // namespace tovin::OpenCatalogues
