#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/journal/RunHistory.h"
#include "core/journal/RunUndo.h"
#include "core/storage/CatalogueLocation.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

struct Arguments {
    QString catalogue;
    qint64 run = 0;
    bool dryRun = false;
};

// Reads --db, --run and (for undo) --dry-run; false after telling what is wrong.
bool parse(const QString& command, const QStringList& arguments, bool takesDryRun,
           Arguments& parsed, QTextStream& err) {
    try {
        // A missing or unwanted value is told as an unknown argument, as these commands always
        // have.
        CommandArguments args({u"unknown argument \"%1\""_s, QString(), QString()});
        args.option(u"db"_s, u"CATALOGUE"_s).option(u"run"_s, u"N"_s);
        // Only undo writes, and so waits for another writer.
        if (takesDryRun)
            args.flag(u"dry-run"_s).withWait();
        args.parse(arguments);
        parsed.catalogue = args.value(u"db"_s);
        parsed.dryRun = takesDryRun && args.isSet(u"dry-run"_s);
        for (const QString& value : args.values(u"run"_s)) {
            bool ok = false;
            parsed.run = value.toLongLong(&ok);
            if (!ok || parsed.run <= 0)
                throw CommandRefusal{u"\""_s + value + u"\" is not a run number"_s};
        }
    } catch (const CommandRefusal& refusal) {
        err << "tovin-catalog " << command << ": " << refusal.message << "\n";
        return false;
    }
    if (parsed.catalogue.isEmpty()) {
        err << "tovin-catalog " << command << ": --db CATALOGUE is required\n";
        return false;
    }
    if (CatalogueLocation::isMissingFile(parsed.catalogue)) {
        err << "tovin-catalog " << command << ": " << parsed.catalogue << " does not exist\n";
        return false;
    }
    return true;
}

int runHistory(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Arguments parsed;
    if (!parse(u"history"_s, arguments, false, parsed, err))
        return ExitFailure;
    try {
        CatalogueDatabase db(parsed.catalogue);
        if (parsed.run == 0) {
            for (const RunHistory::RunInfo& run : RunHistory::runs(db))
                out << RunHistory::line(run) << '\n';
            return ExitOk;
        }
        const std::optional<RunHistory::RunInfo> run = RunHistory::run(db, parsed.run);
        if (!run) {
            err << "tovin-catalog history: there is no run " << parsed.run << " in the catalogue\n";
            return ExitFailure;
        }
        out << RunHistory::line(*run) << '\n';
        for (const RunHistory::RowChange& change : RunHistory::rows(db, parsed.run))
            out << "  " << RunHistory::line(change) << '\n';
    } catch (const RunTimeError& error) {
        err << "tovin-catalog history: " << error.description() << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

int runUndo(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Arguments parsed;
    if (!parse(u"undo"_s, arguments, true, parsed, err))
        return ExitFailure;
    if (parsed.run == 0) {
        err << "tovin-catalog undo: --run N is required\n";
        return ExitFailure;
    }
    try {
        CatalogueDatabase db(parsed.catalogue);
        const RunUndo::Result result = RunUndo::undo(db, parsed.run, parsed.dryRun);
        out << RunUndo::summary(result, parsed.dryRun) << '\n';
        for (const RunUndo::Kept& kept : result.kept)
            out << "  kept: " << RunUndo::line(kept) << '\n';
    } catch (const RunTimeError& error) {
        err << "tovin-catalog undo: " << error.description() << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace

BatchCommand historyCommand() {
    return {u"history"_s, u"list the batch runs kept in the catalogue's journal"_s,
            u"Usage: tovin-catalog history --db CATALOGUE [--run N]\n\n"
            u"Lists the batch runs the catalogue keeps (imports, bulk edits, receiving an\n"
            u"order, undo), newest first: number, when, kind, source, the rows added, changed\n"
            u"and deleted, and whether the run was undone. With --run N, lists the rows run N\n"
            u"touched: stock number, column, old -> new value.\n"
            u"The last 50 runs are kept, and every run of the last 90 days.\n"
            u"The catalogue is only read. An unknown run or a catalogue that can't be read\n"
            u"gives exit status 2.\n"_s,
            &runHistory};
}

BatchCommand undoCommand() {
    return {u"undo"_s, u"take a batch run back"_s,
            u"Usage: tovin-catalog undo --db CATALOGUE --run N [--dry-run] [--wait SECONDS]\n\n"
            u"Takes run N back in one transaction: rows it added are deleted, columns it\n"
            u"changed get their old values, rows it deleted come back with their keys. A row\n"
            u"or column changed again since the run is left as it is and listed with both\n"
            u"values; a row it added that is already deleted is listed too. A product is not\n"
            u"put back, nor a stock number set back, when another product has that stock\n"
            u"number since; it is listed too. The undo is a run of its own: undoing it does\n"
            u"run N again.\n"
            u"  --dry-run            tell what the undo would do and change nothing\n"
            u"An unknown run, a run already undone or a catalogue that can't be written gives\n"
            u"exit status 2, with nothing changed.\n"_s +
                CommandArguments::waitHelp(),
            &runUndo};
}

} // namespace tovin
