#include "core/backup/BackupRestore.h"

#include "core/backup/CatalogueBackup.h"
#include "core/backup/CatalogueCheck.h"
#include "core/backup/SqliteFile.h"
#include "core/data/CatalogueFile.h"
#include "core/shell/OutputFile.h"
#include "core/shell/RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>

using namespace Qt::Literals::StringLiterals;

namespace tovin::BackupRestore {

namespace {

[[noreturn]] void refuse(const QString& catalogue, const QString& reason) {
    throw RunTimeError(ErrorNumber::DatabaseRefused,
                       reason + u" Nothing was restored; "_s + catalogue + u" is unchanged."_s);
}

// The catalogue's bytes as they are, for a current file that cannot be read as a whole
// catalogue: a damaged file is still worth keeping.
QString keepAsItIs(const QString& catalogue) {
    const QString folder = CatalogueBackup::folderFor(catalogue);
    const QString target = CatalogueBackup::pathFor(catalogue, CatalogueBackup::today(), folder,
                                                    QTime::currentTime().toString(u"-HHmmss"_s));
    if (!QDir().mkpath(folder))
        refuse(catalogue, u"The current file could not be backed up first."_s);
    const OutputRules rules{catalogue, true, true};
    for (const QString& suffix : {QString(), u"-wal"_s})
        if (QFileInfo::exists(catalogue + suffix))
            OutputFile::copy(catalogue + suffix, target + suffix, rules);
    return target;
}

} // namespace

QString restore(const QString& copy, const QString& catalogue) {
    if (CatalogueFile::sameFile(copy, catalogue))
        refuse(catalogue, copy + u" is the catalogue itself."_s);
    if (const auto problem = CatalogueCheck::problem(copy, CatalogueCheck::Depth::Full))
        refuse(catalogue, *problem);

    // The copy's pages into a hidden file beside the catalogue, in the catalogue's journal mode.
    const QString temporary = OutputFile::temporaryBeside(catalogue);
    const auto discard = [&](const QString& reason) {
        SqliteFile::removeWithJournals(temporary);
        refuse(catalogue, reason);
    };
    if (const auto taken = SqliteFile::run(copy, SqliteFile::Access::Unchanging,
                                           u"VACUUM INTO "_s + SqliteFile::literal(temporary));
        !taken.ok())
        discard(u"The copy could not be read: "_s + taken.message + u'.');
    if (const auto mode = SqliteFile::run(temporary, SqliteFile::Access::ReadWrite,
                                          u"PRAGMA journal_mode = WAL"_s);
        !mode.ok())
        discard(u"The copy could not be prepared: "_s + mode.message + u'.');
    if (const auto problem = CatalogueCheck::problem(temporary, CatalogueCheck::Depth::Quick))
        discard(*problem);

    QString before;
    try {
        // A catalogue file that is gone leaves nothing to keep.
        if (QFileInfo::exists(catalogue)) {
            try {
                before =
                    CatalogueBackup::write(catalogue, CatalogueBackup::today(), QString(), true);
            } catch (const RunTimeError&) {
                before = keepAsItIs(catalogue);
            }
        }
    } catch (const RunTimeError& error) {
        discard(u"The current file could not be backed up first: "_s + error.description());
    }

    // Everything the journal holds goes into the file now; a reader still inside it keeps the
    // catalogue in use, and then nothing is replaced.
    if (QFileInfo::exists(catalogue + u"-wal"_s)) {
        const auto emptied = SqliteFile::run(catalogue, SqliteFile::Access::ReadWrite,
                                             u"PRAGMA wal_checkpoint(TRUNCATE)"_s);
        // Its first value is 1 when a reader kept the journal from being emptied.
        if (emptied.busy() || emptied.firstValue == u"1"_s)
            discard(catalogue + u" is in use by another program."_s);
    }
    // A journal left beside the restored file would be read into it.
    QFile::remove(catalogue + u"-wal"_s);
    QFile::remove(catalogue + u"-shm"_s);
    try {
        OutputFile::moveIntoPlace(temporary, catalogue, OutputRules{QString(), true, true});
    } catch (const RunTimeError& error) {
        refuse(catalogue, error.description());
    }
    SqliteFile::syncFolder(QFileInfo(catalogue).absolutePath());
    return before;
}

} // namespace tovin::BackupRestore
