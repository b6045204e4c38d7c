#include "core/import/SourceFile.h"

#include "core/storage/CatalogueLocation.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::SourceFile {

namespace {

// Compared by device and file number, so another spelling or a link of the catalogue is
// recognised too. A catalogue on a server has no file to compare.
bool isCatalogueFile(const struct stat& source, const QString& catalogue) {
    if (catalogue.isEmpty() || CatalogueLocation::isServer(catalogue))
        return false;
    for (const QString& suffix : {QString(), u"-wal"_s, u"-shm"_s, u"-journal"_s}) {
        struct stat file {};
        if (::stat(QFile::encodeName(catalogue + suffix).constData(), &file) == 0 &&
            file.st_dev == source.st_dev && file.st_ino == source.st_ino)
            return true;
    }
    return false;
}

} // namespace

QString notPlainFile(const QString& path, const QString& what) {
    return what + u" "_s + path +
           u" is not a plain file (it is a device, a pipe or a socket), so it cannot be read "
           u"as a source; nothing was imported."_s;
}

std::optional<QString> refusal(const QString& path, const QString& what, const QString& catalogue) {
    struct stat source {};
    if (::stat(QFile::encodeName(path).constData(), &source) != 0)
        return what + u" "_s + path + u" does not exist"_s;
    if (S_ISDIR(source.st_mode))
        return u"the source "_s + path + u" is a folder, not a file"_s;
    if (!S_ISREG(source.st_mode))
        return notPlainFile(path, what);
    if (isCatalogueFile(source, catalogue))
        return path +
               u" is the catalogue the products would go into (or one of its working files), "
               u"not a source to import from; nothing was imported."_s;
    return std::nullopt;
}

} // namespace tovin::SourceFile
