#include "core/data/OpenCatalogues.h"

#include <mutex>

namespace tovin::OpenCatalogues {

namespace {

std::mutex filesMutex;

QStringList& files() {
    static QStringList list;
    return list;
}

} // namespace

void opened(const QString& path) {
    std::lock_guard lock(filesMutex);
    files() << path;
}

void closed(const QString& path) {
    std::lock_guard lock(filesMutex);
    files().removeOne(path);
}

QStringList all() {
    std::lock_guard lock(filesMutex);
    return files();
}

} // namespace tovin::OpenCatalogues
