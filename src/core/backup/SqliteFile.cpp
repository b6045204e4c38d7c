#include "core/backup/SqliteFile.h"

#include "core/data/CatalogueDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::SqliteFile {

bool Outcome::busy() const {
    return (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED;
}

Outcome run(const QString& path, Access access, const QString& sql) {
    QByteArray name = QFile::encodeName(path);
    int flags = access == Access::ReadWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (access == Access::Unchanging) {
        // Neither journal files are made beside it nor a stale one read.
        name = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    sqlite3* handle = nullptr;
    int rc = sqlite3_open_v2(name.constData(), &handle, flags, nullptr);
    if (rc == SQLITE_OK) {
        // A writer holding the whole file (in the older journal mode, or at a checkpoint) is
        // waited for.
        sqlite3_busy_timeout(handle, CatalogueDatabase::DefaultLockWaitMs);
    }
    Outcome outcome;
    if (rc == SQLITE_OK) {
        const auto firstRow = [](void* into, int columns, char** values, char**) {
            auto* first = static_cast<QString*>(into);
            if (first->isNull() && columns > 0)
                *first = QString::fromUtf8(values[0] ? values[0] : "");
            return 0;
        };
        rc = sqlite3_exec(handle, sql.toUtf8().constData(), firstRow, &outcome.firstValue, nullptr);
    }
    if (rc != SQLITE_OK)
        outcome = {rc, handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : u"out of memory"_s,
                   QString()};
    sqlite3_close(handle);
    return outcome;
}

QString literal(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', u"''"_s) + u'\'';
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

} // namespace tovin::SqliteFile
