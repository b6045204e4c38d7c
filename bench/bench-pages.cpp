// The web catalogue by page number for a 10 000-product catalogue on 250 page numbers, with a
// detail page per product, as "By Page Number" and "tovin-catalog pages" write it: the
// products are read from the catalogue file and every page and detail page is written to disk.
// Prints one line: pages: N files in T s (R files/s).
//
//   bench-pages [PRODUCTS]

#include "BenchSupport.h"
#include "core/data/RecordSet.h"
#include "core/pages/CataloguePages.h"
#include "core/pages/PageOptions.h"
#include "core/shell/ProgramFolder.h"
#include "core/shell/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int products = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QTextStream out(stdout);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        QTextStream(stderr) << "bench-pages: no temporary folder\n";
        return 2;
    }
    ProgramFolder::setOverride(folder.path());
    ProgramFolder::applyToSharedState();
    SettingsStore::setProgramFile(folder.filePath(u"settings.ini"_s));
    const QString catalogue = folder.filePath(u"catalogue.mde"_s);
    bench::generateCatalogue(catalogue, products);
    const QString pages = folder.filePath(u"Pages"_s);
    QDir().mkpath(pages);

    bench::Stopwatch watch;
    CatalogueDatabase db(catalogue);
    RecordSet records;
    records.open(u"select * from Products order by StockNo"_s, db);
    const QList<PageProduct> list = PageProduct::readAll(records);
    PageOptions options;
    CataloguePages::applyRunLayout(options);
    options.OverwritePages = true;
    const int highest = CataloguePages::highestPageNumber(list);
    const auto result = CataloguePages::write(
        list, options, CataloguePages::standardRequest(pages, u"CatPage"_s, 1, highest, catalogue));
    const double seconds = watch.milliseconds() / 1000.0;
    if (result.anyFailed) {
        QTextStream(stderr) << "bench-pages: some pages could not be written\n";
        return 2;
    }
    out << "pages: " << result.filesWritten << " files in " << QString::number(seconds, 'f', 2)
        << " s (" << QString::number(result.filesWritten / seconds, 'f', 0) << " files/s)\n";
    return 0;
}
