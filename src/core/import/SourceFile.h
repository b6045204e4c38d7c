#pragma once

#include <QString>
#include <optional>

namespace tovin {

// Whether a file named as the source of an import can be read as one, before anything of it is
// read: the sentences say which file and why nothing was imported.
namespace SourceFile {

// Why `path` is no source to read, or nothing when it is a plain file. `what` names it in the
// sentence ("the file", "the database"). `catalogue`, when given, is the catalogue the products
// would go into: the catalogue and its working files are never read as a source.
std::optional<QString> refusal(const QString& path, const QString& what,
                               const QString& catalogue = QString());

// The sentence for a path that exists but is no plain file (a device, a pipe, a socket).
QString notPlainFile(const QString& path, const QString& what);

} // namespace SourceFile

} // namespace tovin
