#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "app/CommandProgress.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/files/OutputFile.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/CataloguePages.h"
#include "core/pages/PageMarkup.h"
#include "core/pages/PageOptions.h"
#include "core/storage/CatalogueLocation.h"
#include "ui/pages/PagesPdf.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString PagesName = u"tovin-catalog pages: "_s;

struct PagesRequest {
    QString catalogue;
    std::optional<int> from;
    std::optional<int> to;
    QString name = u"CatPage"_s;
    QString out;
    QString pdf;
};

std::optional<int> pageNumber(const QString& text) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < 1 || number > 32767)
        return std::nullopt;
    return number;
}

// Reads the arguments; returns the refusal, or an empty text.
QString readArguments(const QStringList& arguments, PagesRequest& request) {
    CommandArguments args({u"unknown argument %1"_s, u"%1 needs a value"_s, QString()});
    try {
        args.option(u"db"_s, u"CAT"_s)
            .option(u"from"_s, u"P"_s)
            .option(u"to"_s, u"Q"_s)
            .option(u"name"_s, u"NAME"_s)
            .option(u"out"_s, u"FOLDER"_s)
            .option(u"pdf"_s, u"FILE"_s)
            .parse(arguments);
    } catch (const CommandRefusal& refusal) {
        return refusal.message;
    }
    request.catalogue = args.value(u"db"_s);
    for (const QString& option : {u"from"_s, u"to"_s}) {
        // Each value given is checked; the last one counts.
        for (const QString& value : args.values(option)) {
            const auto number = pageNumber(value);
            if (!number)
                return u"--"_s + option + u" needs a page number from 1 to 32767, not \""_s +
                       value + u'"';
            (option == u"from"_s ? request.from : request.to) = number;
        }
    }
    if (args.isSet(u"name"_s))
        request.name = args.value(u"name"_s);
    request.out = args.value(u"out"_s);
    request.pdf = args.value(u"pdf"_s);
    if (request.catalogue.isEmpty())
        return u"give the catalogue with --db CAT"_s;
    if (!request.from || !request.to)
        return u"give the page numbers with --from P --to Q"_s;
    if (*request.from > *request.to)
        return u"--from "_s + QString::number(*request.from) + u" is above --to "_s +
               QString::number(*request.to);
    if (!PageMarkup::isSafePageName(request.name))
        return u"the page name \""_s + request.name +
               u"\" cannot be used: it must not be empty or hold \"/\", \"\\\" or \"..\""_s;
    // The PDF may go into the pages folder the run makes.
    const QString pdfFolder = QFileInfo(request.pdf).absolutePath();
    if (!request.pdf.isEmpty() && !QFileInfo(pdfFolder).isDir() &&
        (request.out.isEmpty() || QFileInfo(request.out).absoluteFilePath() != pdfFolder))
        return u"the folder of the PDF file does not exist: "_s +
               QFileInfo(request.pdf).absolutePath();
    return {};
}

QString statusText(const CataloguePages::FileResult& file) {
    using Status = CataloguePages::FileResult::Status;
    switch (file.status) {
    case Status::NotFound:
        return u"no products on this page"_s;
    case Status::Skipped:
        return u"skipped"_s;
    case Status::Failed:
        return u"NOT written: "_s + file.error;
    case Status::Created:
        break;
    }
    return QString::number(file.products) + (file.products == 1 ? u" product"_s : u" products"_s) +
           u", "_s + QString::number(file.detailPages) + u" detail pages"_s;
}

int runPages(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    PagesRequest request;
    if (const QString refusal = readArguments(arguments, request); !refusal.isEmpty()) {
        err << PagesName << refusal << "; nothing was written\n";
        return ExitFailure;
    }
    const QString catalogue = CatalogueLocation::absolute(request.catalogue);
    if (CatalogueLocation::isMissingFile(catalogue)) {
        err << PagesName << "no catalogue file at " << catalogue << "; nothing was written\n";
        return ExitFailure;
    }
    QList<PageProduct> products;
    try {
        CatalogueDatabase db(catalogue);
        if (!db.hasTable(u"Products"_s))
            throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                               catalogue + u" holds no Products table"_s);
        RecordSet records;
        records.open(u"select * from Products order by StockNo"_s, db);
        products = PageProduct::readAll(records);
        records.close();
    } catch (const RunTimeError& error) {
        err << PagesName << error.description() << "; nothing was written\n";
        return ExitFailure;
    }
    if (!request.pdf.isEmpty())
        if (const auto refused = OutputFile::refusal(request.pdf, OutputRules{catalogue})) {
            err << PagesName << *refused << "\n";
            return ExitFailure;
        }
    const int highest = CataloguePages::highestPageNumber(products);
    if (*request.from > highest) {
        err << PagesName << "the catalogue has no page number from " << *request.from
            << " on (the highest is " << highest << "); nothing was written\n";
        return ExitFailure;
    }

    const QString folder =
        QFileInfo(request.out.isEmpty() ? ProgramFolder::path() + u"Pages"_s : request.out)
            .absoluteFilePath();
    if (!QDir().mkpath(folder)) {
        err << PagesName << "cannot make the folder " << folder << "; nothing was written\n";
        return ExitFailure;
    }
    // The options as the Products screen sets them when it loads.
    PageOptions options;
    CataloguePages::applyRunLayout(options);
    options.OverwritePages = true; // a batch run asks nothing

    const auto pagesRequest = CataloguePages::standardRequest(folder, request.name, *request.from,
                                                              *request.to, catalogue);
    CataloguePages::Result result;
    try {
        result = CataloguePages::write(products, options, pagesRequest);
    } catch (const RunTimeError& error) {
        err << PagesName << error.description() << "\n";
        return ExitFailure;
    }
    QStringList written;
    int pageCount = 0;
    int lastPage = -1;
    for (const auto& file : result.files) {
        if (file.pageNumber != lastPage)
            ++pageCount;
        lastPage = file.pageNumber;
        // A page that could not be written is always named; the others are progress.
        const QString line = u"Page "_s + QString::number(file.pageNumber) +
                             (file.fileName.isEmpty() ? QString() : u" "_s + file.fileName) +
                             u": "_s + statusText(file);
        if (file.status == CataloguePages::FileResult::Status::Failed)
            out << line << '\n';
        else
            CommandProgress::print(out, line);
        if (file.status == CataloguePages::FileResult::Status::Created)
            written << pagesRequest.pagesFolder + file.fileName;
    }
    out << "Wrote " << result.filesWritten << " files for " << pageCount << " page numbers into "
        << folder << "\n";
    if (result.anyFailed) {
        err << PagesName << "some pages could not be written (see above)\n";
        return ExitFailure;
    }
    if (!request.pdf.isEmpty()) {
        QString error;
        if (written.isEmpty()) {
            err << PagesName << "no pages were written, so no PDF was made\n";
            return ExitFailure;
        }
        out.flush();
        if (!printPagesToPdf(written, request.pdf, OutputRules{catalogue}, &error)) {
            err << PagesName << error << "\n";
            return ExitFailure;
        }
        out << "Printed " << written.size() << " pages into "
            << QFileInfo(request.pdf).absoluteFilePath() << "\n";
    }
    return ExitOk;
}

} // namespace

bool needsWebEngine(const QStringList& arguments) {
    const qsizetype command = arguments.indexOf(u"pages"_s);
    return command >= 0 && arguments.indexOf(u"--pdf"_s, command) > command;
}

BatchCommand pagesCommand() {
    return {u"pages"_s, u"write the web catalogue by page number, with detail pages"_s,
            u"Usage: tovin-catalog pages --db CAT --from P --to Q [--name CatPage] [--out FOLDER]\n"
            u"                           [--pdf FILE]\n\n"
            u"Writes one HTML page per catalogue page number from P to Q (continuation pages\n"
            u"when a page holds more products than one file takes) and a detail page per\n"
            u"product, with the layout of the Products screen's \"By Page Number\". Existing\n"
            u"pages of those numbers are replaced without asking.\n"
            u"  --db CAT       the catalogue file\n"
            u"  --from P       the first page number (1 or more)\n"
            u"  --to Q         the last page number (P or more)\n"
            u"  --name NAME    the start of the file names (default CatPage: CatPage5.htm,\n"
            u"                 CatPage5-1.htm, CatPageDtl5-1.htm); no \"/\", \"\\\" or \"..\"\n"
            u"  --out FOLDER   where the pages go (default: the Pages folder of the program)\n"
            u"  --pdf FILE     also print the written catalogue pages into one PDF file\n"
            u"Product names and descriptions are written as they are stored, markup included.\n"
            u"Exit status 2, with nothing written, for a bad argument, a missing catalogue, or\n"
            u"a page or PDF name that is the catalogue, another catalogue or a device;\n"
            u"also 2 when a page or the PDF could not be written.\n"_s,
            &runPages};
}

} // namespace tovin
