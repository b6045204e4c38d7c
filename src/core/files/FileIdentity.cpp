#include "core/files/FileIdentity.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace tovin::FileIdentity {

QString realPath(const QString& path) {
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

bool sameFile(const QString& first, const QString& second) {
    struct stat a {};
    struct stat b {};
    if (::stat(QFile::encodeName(first).constData(), &a) == 0 &&
        ::stat(QFile::encodeName(second).constData(), &b) == 0)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    return realPath(first) == realPath(second);
}

} // namespace tovin::FileIdentity
