#include "app/CommandLine.h"
#include "core/reports/PreparedReport.h"
#include "core/shell/RunTimeError.h"
#include "ui/reports/ReportDocument.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

int runReport(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QString name, catalogue, pdf;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (a == u"--db"_s && hasValue) {
            catalogue = arguments.at(++i);
        } else if (a == u"--pdf"_s && hasValue) {
            pdf = arguments.at(++i);
        } else if (a.startsWith(u"--"_s) || !name.isEmpty()) {
            err << "tovin-catalog report: unexpected argument " << a << "\n";
            return ExitFailure;
        } else {
            name = a;
        }
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
    if (!QFileInfo(catalogue).isFile()) {
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
        u"inventory, orders, or a report file of your own; \".rpt\" may be left\n"
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
