#include "core/backup/BackupRestore.h"

#include "core/backup/CatalogueBackup.h"
#include "core/backup/CatalogueCheck.h"
#include "core/backup/PartFile.h"
#include "core/backup/SqliteFile.h"
#include "core/base/RunTimeError.h"
#include "core/files/FileIdentity.h"
#include "core/files/OutputFile.h"
#include "core/storage/SqliteHandle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::BackupRestore {

namespace {

[[noreturn]] void refuse(const QString& catalogue, const QString& reason) {
    // Reasons passed on from elsewhere do not always end their sentence.
    const QString stop = reason.endsWith(u'.') ? QString() : u"."_s;
    throw RunTimeError(ErrorNumber::DatabaseRefused, reason + stop + u" Nothing was restored; "_s +
                                                         catalogue + u" is unchanged."_s);
}

// The copy as the database reads it, checked in full, into `prepared`. A copy without a
// write-ahead log is read as unchanging, so nothing is made beside it. One with a log holds
// changes that belong to it: it is held alone while it is checked and copied (the log read into
// memory, no index file made) and left as it was, log and all.
void takeInCopy(const QString& copy, const QString& prepared, const QString& catalogue) {
    const QFileInfo info(copy);
    const bool logged = SqliteFile::hasLogBeside(copy);
    // The database takes an empty file for an empty database; a catalogue is never empty, but
    // its pages may all still be in its log.
    if (!info.isFile())
        refuse(catalogue, u"The file "_s + copy + u" cannot be read."_s);
    if (info.size() == 0 && !logged)
        refuse(catalogue, u"The file "_s + copy + u" is not a catalogue."_s);
    if (logged && SqliteFile::onReadOnlyStorage(copy))
        refuse(catalogue, u"Beside the copy "_s + copy + u" lies its write-ahead log "_s + copy +
                              u"-wal with changes that cannot be read on read-only storage; "
                              u"copy both files to writable storage and restore from there."_s);
    SqliteHandle source(copy, logged ? SqliteAccess::ReadWrite : SqliteAccess::Unchanging, 0);
    if (logged) {
        source.keepLogOnClose();
        source.holdAlone();
        const auto first = source.firstRead();
        if (first.busy())
            refuse(catalogue, u"The copy "_s + copy +
                                  u" is in use by another program; close it and restore again."_s);
        // A file that is no database, or a damaged one, is told as such by the check below.
        if (!first.ok() && !first.notADatabase() && !first.damaged())
            refuse(catalogue, u"The copy "_s + copy + u" and its write-ahead log "_s + copy +
                                  u"-wal cannot be read together here ("_s + first.message +
                                  u"); copy both files to a folder you may write to and "
                                  u"restore from there."_s);
    }
    if (const auto problem = CatalogueCheck::problem(source, copy, CatalogueCheck::Depth::Full))
        refuse(catalogue, *problem);
    if (const auto taken = source.writeCopyTo(prepared); !taken.ok())
        refuse(catalogue, u"The copy could not be read: "_s + taken.message + u'.');
}

// Takes the catalogue for this connection alone, waiting a while for other programs to close
// it. Gives the outcome of the first read, which takes the lock.
SqliteOutcome holdAlone(SqliteHandle& held, const std::function<void()>& waiting) {
    // Set before the first read, the lock is taken then and kept until the connection closes,
    // and the log's index is kept in this process's memory.
    held.holdAlone();
    SqliteOutcome first = held.firstRead();
    if (first.busy()) {
        if (waiting)
            waiting();
        held.setLockWait(InUseWaitMs);
        first = held.firstRead();
    }
    return first;
}

// The catalogue's bytes as they are, read through the held connection, for a catalogue that
// cannot be copied as a whole catalogue: a damaged file is still worth keeping.
QString keepAsItIs(SqliteHandle& held, const QString& catalogue) {
    const QString folder = CatalogueBackup::folderFor(catalogue);
    if (!QDir().mkpath(folder))
        refuse(catalogue, u"The current file could not be backed up first."_s);
    const QString target =
        CatalogueBackup::newCopyName(catalogue, CatalogueBackup::today(), folder, true);
    // Refused once, outside the try: a refusal thrown inside it would be caught and told again.
    QString failure;
    try {
        PartFile part(target);
        if (held.copyBytesTo(part.path(), failure)) {
            if (QFileInfo::exists(part.path() + u"-wal"_s))
                QFile::rename(part.path() + u"-wal"_s, target + u"-wal"_s);
            OutputFile::moveIntoPlace(part.path(), target, OutputRules{catalogue, true, true});
            part.placed();
            return target;
        }
    } catch (const RunTimeError& error) {
        failure = error.description();
    }
    refuse(catalogue, u"The current file could not be backed up first: "_s + failure);
}

// The catalogue as it is now, into its Backups folder.
QString keepCurrent(SqliteHandle& held, const QString& catalogue) {
    try {
        return CatalogueBackup::writeFrom(held, catalogue, CatalogueBackup::today(), QString(),
                                          true);
    } catch (const RunTimeError&) {
        return keepAsItIs(held, catalogue);
    }
}

// For a catalogue name with no database behind it (no file, or one the database does not read
// at all, which therefore nobody can be working on): the prepared file takes its place by name,
// with the old file's mode, owner and group. Its journals would be read into the new file.
void replaceByName(PartFile& prepared, const QString& catalogue) {
    if (const auto mode =
            SqliteFile::open(prepared.path(), SqliteAccess::ReadWrite)->setWriteAheadLog(true);
        !mode.ok())
        refuse(catalogue, u"The copy could not be prepared: "_s + mode.message + u'.');
    struct stat old {};
    if (::stat(QFile::encodeName(catalogue).constData(), &old) == 0) {
        const QByteArray name = QFile::encodeName(prepared.path());
        if (::chmod(name.constData(), old.st_mode & 07777) != 0 ||
            (::chown(name.constData(), old.st_uid, old.st_gid) != 0 && ::geteuid() == 0))
            refuse(catalogue, u"The restored file could not be given the catalogue's owner and "
                              u"permissions."_s);
    }
    QFile::remove(catalogue + u"-wal"_s);
    QFile::remove(catalogue + u"-shm"_s);
    try {
        OutputFile::moveIntoPlace(prepared.path(), catalogue, OutputRules{QString(), true, true});
    } catch (const RunTimeError& error) {
        refuse(catalogue, error.description());
    }
    prepared.placed();
    SqliteFile::syncFolder(QFileInfo(catalogue).absolutePath());
}

// The prepared copy in the catalogue's page size: pages are taken into a catalogue in its
// journal mode only at the size it has.
void matchPageSize(SqliteHandle& held, const QString& prepared, const QString& catalogue) {
    const QString size = held.pageSize();
    if (SqliteFile::open(prepared, SqliteAccess::ReadOnly)->pageSize() == size)
        return;
    if (const auto resized = SqliteFile::open(prepared, SqliteAccess::ReadWrite)->setPageSize(size);
        !resized.ok())
        refuse(catalogue, u"The copy could not be prepared: "_s + resized.message + u'.');
}

} // namespace

QString restore(const QString& copy, const QString& catalogue,
                const std::function<void()>& waiting) {
    if (FileIdentity::sameFile(copy, catalogue))
        refuse(catalogue, copy + u" is the catalogue itself."_s);
    const QFileInfo info(catalogue);
    // Hidden files of restores that were stopped part way.
    PartFile::removeLeftovers(
        info.absolutePath(),
        QRegularExpression(u'^' + QRegularExpression::escape(info.fileName()) + u'$'));
    std::optional<PartFile> prepared;
    try {
        prepared.emplace(catalogue);
    } catch (const RunTimeError& error) {
        refuse(catalogue, error.description());
    }
    takeInCopy(copy, prepared->path(), catalogue);
    if (const auto problem =
            CatalogueCheck::problem(prepared->path(), CatalogueCheck::Depth::Quick))
        refuse(catalogue, *problem);
    if (!info.exists()) {
        replaceByName(*prepared, catalogue);
        return QString();
    }

    auto held = std::make_unique<SqliteHandle>(catalogue, SqliteAccess::ReadWrite, 0);
    const SqliteOutcome first = holdAlone(*held, waiting);
    if (first.busy())
        refuse(catalogue, catalogue + u" is in use by another program (the window or a batch "
                                      u"command); close it and restore again."_s);
    if (first.notADatabase()) {
        const QString before = keepAsItIs(*held, catalogue);
        held.reset();
        replaceByName(*prepared, catalogue);
        return before;
    }
    if (!first.ok())
        refuse(catalogue, u"The catalogue cannot be written ("_s + first.message + u")."_s);
    matchPageSize(*held, prepared->path(), catalogue);
    const QString before = keepCurrent(*held, catalogue);
    {
        SqliteHandle source(prepared->path(), SqliteAccess::Unchanging, 0);
        // One transaction: the catalogue holds either every page of the copy or none.
        if (const auto taken = held->takePagesFrom(source); !taken.ok())
            refuse(catalogue,
                   u"The copy could not be written into the catalogue: "_s + taken.message + u'.');
    }
    // The copy is committed in the log now. Folded into the file before anyone else may open
    // it; closing the connection folds it once more should this fail.
    held->foldLog();
    held.reset();
    return before;
}

} // namespace tovin::BackupRestore
