#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "app/CommandProgress.h"
#include "core/backup/CatalogueBackup.h"
#include "core/base/RunTimeError.h"
#include "core/files/OutputFile.h"
#include "core/share/CatalogueShare.h"
#include "core/storage/CatalogueLocation.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString ShareName = u"tovin-catalog share: "_s;

// A file is named by its full path from here on; a server address is kept as given.
QString placeOf(const QString& location) {
    return CatalogueLocation::isServer(location) ? location.trimmed()
                                                 : QFileInfo(location).absoluteFilePath();
}

int runShare(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        CommandArguments args;
        args.option(u"db"_s, u"CATALOGUE"_s)
            .option(u"from"_s, u"CATALOGUE"_s)
            .option(u"to"_s, u"CATALOGUE"_s)
            .flag(u"replace"_s)
            .withWait()
            .parse(arguments);
        if (args.isSet(u"db"_s) && args.isSet(u"from"_s))
            throw CommandRefusal{u"give the catalogue to copy once, with --db or with --from"_s};
        const QString fromArgument =
            args.isSet(u"db"_s) ? args.value(u"db"_s) : args.value(u"from"_s);
        if (fromArgument.isEmpty())
            throw CommandRefusal{u"--db CATALOGUE (or --from CATALOGUE) is required"_s};
        if (args.value(u"to"_s).isEmpty())
            throw CommandRefusal{u"--to CATALOGUE is required"_s};
        const QString from = placeOf(fromArgument);
        const QString to = placeOf(args.value(u"to"_s));
        const bool replace = args.isSet(u"replace"_s);
        if (!CatalogueLocation::isServer(from) && !QFileInfo(from).isFile())
            throw CommandRefusal{u"the catalogue "_s + from +
                                 u" does not exist; nothing was copied"_s};
        if (!CatalogueLocation::isServer(to)) {
            const QString source = CatalogueLocation::isServer(from) ? QString() : from;
            if (const auto refusal = OutputFile::refusal(to, {source, true, replace})) {
                // Told how to go on only where replacing is all that is missing.
                const bool replaceable = !OutputFile::refusal(to, {source, true, true});
                throw CommandRefusal{
                    *refusal + (replaceable ? u" Add --replace to replace it."_s : QString())};
            }
            // A catalogue about to be replaced is kept first; a copy that fails does not stop it.
            if (replace)
                if (const auto failure = CatalogueBackup::keepBeforeReplacing(to))
                    err << ShareName << *failure << '\n';
        }
        const auto progress = [&out](const QString& table, qint64 done, qint64 all) {
            CommandProgress::print(out,
                                   u"Copying %1: %2 of %3 rows"_s.arg(table).arg(done).arg(all));
        };
        const CatalogueShare::Result result = CatalogueShare::share(from, to, replace, progress);
        for (const auto& [table, rows] : result.rowsPerTable)
            out << table << ": " << rows << " rows\n";
        if (!result.keyMarksUnread.isEmpty())
            out << "The server did not let this user read the last record numbers given out in "
                << result.keyMarksUnread.join(u", "_s)
                << "; new records there are numbered on from the last one copied\n";
        out << "Copied " << result.totalRows() << " rows into "
            << CatalogueLocation::forMessages(to)
            << "; every table's row count and money sums match the original\n";
        return ExitOk;
    } catch (const CommandRefusal& refusal) {
        err << ShareName << refusal.message << '\n';
    } catch (const CatalogueShare::TargetHoldsCatalogue& error) {
        err << ShareName << error.description() << " Add --replace to replace it.\n";
    } catch (const RunTimeError& error) {
        err << ShareName << error.description() << '\n';
    }
    return ExitFailure;
}

} // namespace

BatchCommand shareCommand() {
    return {u"share"_s, u"copy a catalogue to a PostgreSQL server, or from one into a file"_s,
            u"Usage: tovin-catalog share --db CATALOGUE --to TARGET [--replace] [--wait SECONDS]\n"
            u"       tovin-catalog share --from CATALOGUE --to TARGET [--replace]\n"
            u"         [--wait SECONDS]\n\n"
            u"Copies the whole catalogue CATALOGUE to TARGET, each a catalogue file or a\n"
            u"PostgreSQL database given as postgresql://USER@HOST/DATABASE: every table with\n"
            u"the rows' record numbers, the run history (so runs can still be undone) and the\n"
            u"program's own tables. CATALOGUE is only read.\n"
            u"  --db, --from  the catalogue to copy (either one, not both)\n"
            u"  --to          where the copy goes: a new file, or a server database that is\n"
            u"                empty (the catalogue's tables are made there)\n"
            u"  --replace     replace the catalogue TARGET already holds (a file is first kept\n"
            u"                in its Backups folder); without it that is exit status 2\n"
            u"The copy is written in one transaction and then checked: in every table the\n"
            u"row count and the sum of each money column must equal the original's. A refused\n"
            u"write, a lost connection or any difference ends with exit status 2, a message\n"
            u"naming the table, and TARGET as it was. The copy never goes onto CATALOGUE.\n"
            u"Prints the rows copied per table (and on a terminal a progress line every\n"
            u"1000 rows).\n"
            u"While another program writes TARGET, the copy waits for it:\n"_s +
                CommandArguments::waitHelp(),
            &runShare};
}

} // namespace tovin
