#pragma once

#include "core/files/OutputFile.h"
#include "core/pages/CellMarkup.h"
#include "core/pages/PageProduct.h"

#include <QList>
#include <QString>
#include <functional>

namespace tovin {

struct PageOptions;

// The static web catalogue by page number: one file per catalogue page number (the PageNo
// column) with that page's products in stock-number order, continuation files when a page
// holds more products than the per-file limit, and a detail page per product, all inside the
// pages folder. Which files there are and how they link is PagePlan's; this class renders the
// lines of each file and writes them.
class CataloguePages {
public:
    struct Request {
        QString pagesFolder; // ends in "/"
        QString name;        // the page name N
        int from = 1;
        int to = 1;
        CellMarkup cells;   // the no-picture picture and the order address
        OutputRules output; // keeps the pages off the catalogue they are made from
    };

    // What became of one file.
    struct FileResult {
        enum class Status { Created, NotFound, Skipped, Failed };
        int pageNumber = 0;
        int continuation = 0; // 0 for the page's first file
        QString fileName;     // empty for a page number without products
        Status status = Status::Created;
        int products = 0;
        int detailPages = 0;
        QString error; // why a file could not be written
    };

    struct Result {
        QList<FileResult> files;
        int filesWritten = 0; // catalogue and detail pages
        bool anyFailed = false;
    };

    // Progress and the question about existing files. `progress` receives HTML to append to
    // the document the user watches; `overwrite` is asked for each existing catalogue file
    // while OverwritePages is off (no answer means no).
    struct Callbacks {
        std::function<void(const QString& html)> progress;
        std::function<bool(const QString& fileName)> overwrite;
    };

    // A request for pages written into `pagesFolder`: pictures named from the program folder
    // are linked from there, a missing picture shows the program folder's NoPic.jpg, and the
    // order button leads to the setting "OrderPage" of section "Settings" (by default
    // http://www.example.com/order.htm). No page is written over `openCatalogue`.
    static Request standardRequest(const QString& pagesFolder, const QString& name, int from,
                                   int to, const QString& openCatalogue);

    // The highest page number that has products; 0 when none has.
    static int highestPageNumber(const QList<PageProduct>& products);

    // The layout every run uses: stock number, picture, name, your cost, retail, savings,
    // details and order button; no description; detail pages on; the default title when none
    // is set.
    static void applyRunLayout(PageOptions& options);

    // Writes the files for page numbers from..to as PagePlan lays them out. A page name that could
    // leave the pages folder, or a file name the output rules refuse, is refused with RunTimeError
    // before anything is written.
    static Result write(const QList<PageProduct>& products, const PageOptions& options,
                        const Request& request, const Callbacks& callbacks = {});

    // The lines of a catalogue file and of a detail page (for the files above).
    static QStringList pageLines(const QList<PageProduct>& products, const PageOptions& options,
                                 const CellMarkup& cells, const QString& title,
                                 const QString& previousFile, const QString& nextFile,
                                 const QStringList& detailFiles);
    static QStringList detailLines(const PageProduct& product, const PageOptions& options,
                                   const QString& mainFile, const QString& picture);
};

} // namespace tovin
