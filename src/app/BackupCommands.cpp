#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "core/backup/BackupRestore.h"
#include "core/backup/CatalogueBackup.h"
#include "core/backup/CatalogueCheck.h"
#include "core/base/RunTimeError.h"
#include "core/settings/SettingsStore.h"
#include "core/storage/CatalogueLocation.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// A catalogue on a server is kept safe by the server's own backups; a copy of it as a file is
// what "share" makes.
void refuseServer(const QString& catalogue) {
    if (CatalogueLocation::isServer(catalogue))
        throw CommandRefusal{CatalogueLocation::forMessages(catalogue) +
                             u" is a catalogue on a server: the server's own backups keep it "
                             u"(\"share --from\" copies it into a file); nothing was written"_s};
}

int runBackup(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        CommandArguments args;
        args.option(u"db"_s, u"CATALOGUE"_s).option(u"to"_s, u"FOLDER"_s).parse(arguments);
        QString catalogue = args.value(u"db"_s);
        const QString folder =
            args.isSet(u"to"_s) ? QFileInfo(args.value(u"to"_s)).absoluteFilePath() : QString();
        if (catalogue.isEmpty())
            throw CommandRefusal{u"--db CATALOGUE is required"_s};
        refuseServer(catalogue);
        if (!folder.isEmpty() && QFileInfo::exists(folder) && !QFileInfo(folder).isDir())
            throw CommandRefusal{folder + u" is not a folder; nothing was written"_s};
        catalogue = QFileInfo(catalogue).absoluteFilePath();
        const QDate today = CatalogueBackup::today();
        const QString copy = CatalogueBackup::write(catalogue, today, folder);
        out << "Backed up " << catalogue << " to " << copy << " ("
            << CatalogueCheck::productCount(copy) << " products)\n";
        const QStringList removed = CatalogueBackup::rotate(
            catalogue, today, BackupRotation::countsFrom(SettingsStore::program()), folder);
        for (const QString& old : removed)
            out << "Removed the older copy " << old << "\n";
        return ExitOk;
    } catch (const CommandRefusal& refusal) {
        err << "tovin-catalog backup: " << refusal.message << "\n";
    } catch (const RunTimeError& error) {
        err << "tovin-catalog backup: " << error.description() << "\n";
    }
    return ExitFailure;
}

int runRestore(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        CommandArguments args;
        args.option(u"db"_s, u"CATALOGUE"_s).option(u"from"_s, u"FILE"_s).parse(arguments);
        QString catalogue = args.value(u"db"_s);
        const QString copy = args.value(u"from"_s);
        if (catalogue.isEmpty() || copy.isEmpty())
            throw CommandRefusal{u"--db CATALOGUE and --from FILE are required"_s};
        refuseServer(catalogue);
        catalogue = QFileInfo(catalogue).absoluteFilePath();
        const auto waiting = [&] {
            err << "tovin-catalog restore: " << catalogue
                << " is open in another program; waiting up to "
                << BackupRestore::InUseWaitMs / 1000 << " seconds for it to close it\n";
            err.flush();
        };
        const QString before =
            BackupRestore::restore(QFileInfo(copy).absoluteFilePath(), catalogue, waiting);
        if (!before.isEmpty())
            out << "Backed up the current catalogue to " << before << "\n";
        out << "Restored " << catalogue << " from " << copy << "\n";
        return ExitOk;
    } catch (const CommandRefusal& refusal) {
        err << "tovin-catalog restore: " << refusal.message << "\n";
    } catch (const RunTimeError& error) {
        err << "tovin-catalog restore: " << error.description() << "\n";
    }
    return ExitFailure;
}

} // namespace

BatchCommand backupCommand() {
    return {u"backup"_s, u"write a checked copy of a catalogue into its Backups folder"_s,
            u"Usage: tovin-catalog backup --db CATALOGUE [--to FOLDER]\n\n"
            u"Writes a consistent copy of CATALOGUE, even while another program writes to it,\n"
            u"as Backups/NAME-YYYY-MM-DD.mde beside it (or in FOLDER). The copy is written\n"
            u"under a hidden name, put on disk and checked, and only then takes its name. A\n"
            u"second backup on one day never replaces that day's copy: it is named\n"
            u"NAME-YYYY-MM-DD-HHMMSS.mde after the time it was taken. Older copies are then\n"
            u"removed: all copies of the last 7 days that have copies and the newest copy of\n"
            u"each of 4 weeks before them stay (settings KeepDaily and KeepWeekly in section\n"
            u"Backups), and hidden files that stopped backups left behind are removed.\n"
            u"A catalogue on read-only storage is backed up as it is there.\n"
            u"A file that is not a catalogue gives exit status 2 and nothing is written.\n"_s,
            &runBackup};
}

BatchCommand restoreCommand() {
    return {u"restore"_s, u"put a backup copy in a catalogue's place"_s,
            u"Usage: tovin-catalog restore --db CATALOGUE --from FILE\n\n"
            u"Checks that FILE is a whole catalogue (every page and index read, every table\n"
            u"there; changes in a FILE-wal beside it belong to it), then holds CATALOGUE for\n"
            u"itself alone, backs it up into its Backups folder and writes FILE into it in one\n"
            u"step; CATALOGUE keeps its permissions, owner and group. A program that opens\n"
            u"CATALOGUE meanwhile waits and then sees the restored catalogue.\n"
            u"While another program (the window, a batch command) has CATALOGUE open, restore\n"
            u"waits up to 5 seconds for it to close it, then gives exit status 2 and\n"
            u"CATALOGUE stays as it was. So do a damaged FILE and one that is not a catalogue.\n"_s,
            &runRestore};
}

} // namespace tovin
