#include "core/files/OpenCatalogues.h"

#include <QFile>
#include <mutex>
#include <sys/stat.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tovin::OpenCatalogues {

namespace {

struct OpenFile {
    QString path;
    bool known = false; // whether the file could be looked at when it was opened
    quint64 device = 0;
    quint64 inode = 0;
};

std::mutex filesMutex;

std::vector<OpenFile>& files() {
    static std::vector<OpenFile> list;
    return list;
}

// The device and file number of the file at `path` (looked at without opening it).
bool identityOf(const QString& path, quint64& device, quint64& inode) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    device = status.st_dev;
    inode = status.st_ino;
    return true;
}

bool sameAs(const QString& path, quint64 device, quint64 inode) {
    quint64 d = 0;
    quint64 i = 0;
    return identityOf(path, d, i) && d == device && i == inode;
}

} // namespace

void opened(const QString& path) {
    OpenFile file{path};
    file.known = identityOf(path, file.device, file.inode);
    std::lock_guard lock(filesMutex);
    files().push_back(std::move(file));
}

void closed(const QString& path) {
    std::lock_guard lock(filesMutex);
    auto& list = files();
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->path == path) {
            list.erase(it);
            return;
        }
}

QStringList all() {
    std::lock_guard lock(filesMutex);
    QStringList paths;
    for (const OpenFile& file : files())
        paths << file.path;
    return paths;
}

std::optional<QString> holdingFile(quint64 device, quint64 inode) {
    std::lock_guard lock(filesMutex);
    for (const OpenFile& file : files()) {
        if (file.known && file.device == device && file.inode == inode)
            return file.path;
        // The working files come and go with the connections; they lie beside the path the
        // catalogue was opened by.
        if (sameAs(file.path + u"-wal"_s, device, inode) ||
            sameAs(file.path + u"-shm"_s, device, inode))
            return file.path;
    }
    return std::nullopt;
}

std::optional<QString> holding(const QString& path) {
    quint64 device = 0;
    quint64 inode = 0;
    if (!identityOf(path, device, inode))
        return std::nullopt;
    return holdingFile(device, inode);
}

std::optional<QString> plainOpenRefusal(const QString& path) {
    const std::optional<QString> catalogue = holding(path);
    if (!catalogue)
        return std::nullopt;
    return path + u" is the open catalogue "_s + *catalogue +
           u" (or one of its working files); the program reads it only as the catalogue, "
           u"never as another file."_s;
}

} // namespace tovin::OpenCatalogues
