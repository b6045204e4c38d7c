#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "core/backup/CatalogueBackup.h"
#include "core/base/RunTimeError.h"
#include "core/convert/AccessTableSource.h"
#include "core/convert/CatalogueConversion.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

int runConvert(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    bool replace = false;
    QStringList files;
    try {
        CommandArguments args({u"unknown option %1"_s, QString(), QString()});
        args.flag(u"replace"_s).withPositionals().parse(arguments);
        replace = args.isSet(u"replace"_s);
        files = args.positionals();
    } catch (const CommandRefusal& refusal) {
        err << "tovin-catalog convert: " << refusal.message << "\n";
        return ExitFailure;
    }
    if (files.isEmpty() || files.size() > 2) {
        err << "tovin-catalog convert: give the old catalogue file and, if you like, the new one\n";
        return ExitFailure;
    }
    const QString oldPath = QFileInfo(files.first()).absoluteFilePath();
    const QString newPath = files.size() == 2 ? QFileInfo(files.at(1)).absoluteFilePath()
                                              : CatalogueConversion::convertedPath(oldPath);
    if (!QFileInfo(oldPath).isFile()) {
        err << "tovin-catalog convert: " << oldPath << " is not a file\n";
        return ExitFailure;
    }
    if (QFileInfo(newPath) == QFileInfo(oldPath)) {
        err << "tovin-catalog convert: the new catalogue must not replace the old file\n";
        return ExitFailure;
    }
    if (QFileInfo::exists(newPath) && !replace) {
        err << "tovin-catalog convert: " << newPath
            << " already exists; nothing was changed (add --replace to replace it)\n";
        return ExitFailure;
    }
    try {
        const AccessTableSource source(oldPath);
        const ConversionPlan plan = CatalogueConversion::plan(source);
        if (!plan.usable()) {
            err << "tovin-catalog convert: " << plan.refusal() << " Nothing was changed.\n";
            return ExitFailure;
        }
        // A catalogue about to be replaced is kept first; a copy that fails does not stop it.
        if (const auto failure = CatalogueBackup::keepBeforeReplacing(newPath))
            err << "tovin-catalog convert: " << *failure << "\n";
        const ConversionResult result =
            CatalogueConversion::convertReplacing(source, newPath, oldPath);
        for (const auto& [table, rows] : result.rowsPerTable)
            out << table << ": " << rows << " rows\n";
        for (const QString& column : plan.emptyColumns)
            out << "Left empty (the old file has no such column): " << column << "\n";
        for (const QString& column : plan.ignoredColumns)
            out << "Not carried over (the catalogue has no such column): " << column << "\n";
        out << "Converted " << result.totalRows() << " rows into " << newPath << "\n";
        return ExitOk;
    } catch (const RunTimeError& error) {
        err << "tovin-catalog convert: " << error.description() << "\n";
        return ExitFailure;
    }
}

} // namespace

BatchCommand convertCommand() {
    return {u"convert"_s, u"turn an old Access catalogue into a catalogue file"_s,
            u"Usage: tovin-catalog convert [--replace] OLD [NEW]\n\n"
            u"Reads the eight catalogue tables of the Access file OLD (.mdb, .mde or .accdb)\n"
            u"and writes them into a new catalogue file NEW (by default beside OLD: shop.mdb\n"
            u"gives shop.mde). Tables and columns are matched by name; money is kept exact to\n"
            u"four decimals, dates and yes/no values as they were, and the record numbers go on\n"
            u"after the highest old one. OLD is only read.\n"
            u"  --replace   replace NEW when it exists (otherwise exit status 2)\n"
            u"A file without the catalogue tables is refused with exit status 2, naming the\n"
            u"tables it lacks; nothing is written then.\n"_s,
            &runConvert};
}

} // namespace tovin
