#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "core/base/RunTimeError.h"
#include "core/reports/PreparedReport.h"
#include "core/storage/CatalogueLocation.h"
#include "ui/reports/ReportDocument.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

int runReport(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QString name, catalogue, pdf;
    try {
        CommandArguments args({u"unexpected argument %1"_s, QString(), QString()});
        args.option(u"db"_s, u"CATALOGUE"_s)
            .option(u"pdf"_s, u"FILE"_s)
            .withPositionals()
            .parse(arguments);
        const QStringList names = args.positionals();
        // One report at a time.
        if (names.size() > 1)
            throw CommandRefusal{u"unexpected argument "_s + names.at(1)};
        name = names.value(0);
        catalogue = args.value(u"db"_s);
        pdf = args.value(u"pdf"_s);
    } catch (const CommandRefusal& refusal) {
        err << "tovin-catalog report: " << refusal.message << "\n";
        return ExitFailure;
    }
    if (name.isEmpty() || catalogue.isEmpty() || pdf.isEmpty()) {
        err << "tovin-catalog report: give the report NAME, --db CATALOGUE and --pdf FILE\n";
        return ExitFailure;
    }
    const QString reportPath = reportFilePath(name);
    if (!QFileInfo(reportPath).isFile()) {
        err << "tovin-catalog report: there is no report file " << reportPath << "\n";
        return ExitFailure;
    }
    if (CatalogueLocation::isMissingFile(catalogue)) {
        err << "tovin-catalog report: there is no catalogue " << catalogue << "\n";
        return ExitFailure;
    }
    try {
        ReportDocument document(PreparedReport::make(reportPath, catalogue));
        document.writePdf(pdf, OutputRules{catalogue});
    } catch (const RunTimeError& error) {
        err << "tovin-catalog report: " << error.description() << "\n";
        return ExitFailure;
    }
    out << "Wrote " << QFileInfo(pdf).absoluteFilePath() << "\n";
    return ExitOk;
}

} // namespace

BatchCommand reportCommand() {
    BatchCommand command{
        u"report"_s, u"write one of the printed reports as a PDF file"_s,
        u"Usage: tovin-catalog report NAME --db CATALOGUE --pdf FILE\n\n"
        u"Fills the report file NAME (cost1 ... cost5, retail, catagory,\n"
        u"inventory, orders, margins, or a report file of your own; \".rpt\" may be left\n"
        u"out, and a name without a folder is found in the program folder) from\n"
        u"CATALOGUE and writes the pages to FILE as a PDF.\n"
        u"A missing report file or catalogue, a wrong argument, or a FILE that is\n"
        u"the catalogue, another catalogue, a folder or a device gives exit\n"
        u"status 2 and leaves FILE as it was.\n"_s,
        &runReport};
    command.paints = true;
    return command;
}

} // namespace tovin
