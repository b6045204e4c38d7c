#pragma once

#include <QString>

// Which file a path names, whatever way it is spelt: a symbolic link, a hard link, a relative
// path or a path through another folder all lead to the one file.
namespace tovin::FileIdentity {

// True when both paths lead to one file: the same device and file number, so a symbolic link,
// a hard link or another spelling of the path is recognised. A path that does not exist yet is
// compared by its folder's real path and its name.
bool sameFile(const QString& first, const QString& second);
// Where `path` really is: an existing file's canonical path; for a missing one, the canonical
// path of its folder and its name.
QString realPath(const QString& path);

} // namespace tovin::FileIdentity
