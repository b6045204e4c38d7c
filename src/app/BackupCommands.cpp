#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "core/backup/BackupRestore.h"
#include "core/backup/CatalogueBackup.h"
#include "core/backup/CatalogueCheck.h"
#include "core/data/CatalogueLocation.h"
#include "core/shell/RunTimeError.h"
#include "core/shell/SettingsStore.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// A catalogue on a server is kept safe by the server's own backups; a copy of it as a file is
// what "share" makes.
void refuseServer(const QString& catalogue) {
    if (CatalogueLocation::isServer(catalogue))
        throw CommandRefusal{CatalogueLocation::withoutPassword(catalogue) +
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
        const QString before =
            BackupRestore::restore(QFileInfo(copy).absoluteFilePath(), catalogue);
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
            u"under a hidden name, put on disk and checked, and only then takes its name; a\n"
            u"second backup on one day replaces that day's copy. Older copies are then\n"
            u"removed: the last 7 daily and 4 weekly copies stay (settings KeepDaily and\n"
            u"KeepWeekly in section Backups).\n"
            u"A file that is not a catalogue gives exit status 2 and nothing is written.\n"_s,
            &runBackup};
}

BatchCommand restoreCommand() {
    return {u"restore"_s, u"put a backup copy in a catalogue's place"_s,
            u"Usage: tovin-catalog restore --db CATALOGUE --from FILE\n\n"
            u"Checks that FILE is a whole catalogue (every page read, every table there), backs\n"
            u"up the current CATALOGUE into its Backups folder, then replaces CATALOGUE with\n"
            u"FILE in one step. Close the program's windows on CATALOGUE first.\n"
            u"A damaged file, or one that is not a catalogue, gives exit status 2 and\n"
            u"CATALOGUE stays as it was.\n"_s,
            &runRestore};
}

} // namespace tovin
