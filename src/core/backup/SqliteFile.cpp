#include "core/backup/SqliteFile.h"

#include "core/catalogue/CatalogueDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::SqliteFile {

std::unique_ptr<SqliteHandle> open(const QString& path, Access access) {
    // A writer holding the whole file (in the older journal mode, or at a checkpoint) is waited
    // for.
    return std::make_unique<SqliteHandle>(path, access, CatalogueDatabase::DefaultLockWaitMs);
}

Outcome run(const QString& path, Access access, const QString& sql) {
    return open(path, access)->exec(sql);
}

void removeWithJournals(const QString& path) {
    for (const QString& suffix : {QString(), u"-journal"_s, u"-wal"_s, u"-shm"_s})
        QFile::remove(path + suffix);
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool onReadOnlyStorage(const QString& path) {
    struct statvfs storage {};
    return ::statvfs(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &storage) ==
               0 &&
           (storage.f_flag & ST_RDONLY) != 0;
}

bool hasLogBeside(const QString& path) {
    return QFileInfo(path + u"-wal"_s).size() > 0;
}

} // namespace tovin::SqliteFile
