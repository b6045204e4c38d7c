// The web catalogue by page number for a 10 000-product catalogue on 250 page numbers, with a
// detail page per product, as "By Page Number" and "tovin-catalog pages" write it: the
// products are read from the catalogue file and every page and detail page is written to disk.
// Its floor is plain SQLite and plain files doing as much: the SELECT of the products in
// stock-number order through the C API, and a file per product and per page number written
// with the products' texts, straight under its name. The two are measured in turn, once with
// the pages written again as they were (what a run over an unchanged catalogue does) and once
// with every page changed since the run before (a new title each time).
//
//   bench-pages [PRODUCTS]

#include "BenchSupport.h"
#include "core/catalogue/RecordSet.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/CataloguePages.h"
#include "core/pages/PageOptions.h"
#include "core/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

void writePlainFile(const QByteArray& path, const QByteArray& bytes) {
    FILE* out = std::fopen(path.constData(), "wb");
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fclose(out);
}

double plainPages(const QString& catalogue, const QString& folder) {
    QDir().mkpath(folder);
    const QByteArray prefix = QFile::encodeName(folder) + '/';
    bench::Stopwatch watch;
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(catalogue).constData(), &handle, SQLITE_OPEN_READONLY,
                    nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(handle,
                       "SELECT PageNo, StockNo, ProdName, ProdDesc, Picture, Cost1, Retail "
                       "FROM Products ORDER BY StockNo",
                       -1, &select, nullptr);
    QMap<QByteArray, QByteArray> pages;
    int product = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        QByteArray text;
        for (int c = 1; c < 7; ++c)
            text +=
                reinterpret_cast<const char*>(sqlite3_column_text(select, c)) + QByteArray("\r\n");
        const QByteArray page(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)));
        writePlainFile(prefix + "Dtl" + QByteArray::number(++product) + ".htm", text);
        pages[page] += text;
    }
    sqlite3_finalize(select);
    sqlite3_close(handle);
    for (auto page = pages.cbegin(); page != pages.cend(); ++page)
        writePlainFile(prefix + "Page" + page.key() + ".htm", page.value());
    return watch.milliseconds();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int products = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QTemporaryDir folder;
    if (!folder.isValid()) {
        QTextStream(stderr) << "bench-pages: no temporary folder\n";
        return 2;
    }
    ProgramFolder::setOverride(folder.path());
    SettingsStore::setProgramFile(folder.filePath(u"settings.ini"_s));
    const QString catalogue = folder.filePath(u"catalogue.mde"_s);
    bench::generateCatalogue(catalogue, products);
    const QString pages = folder.filePath(u"Pages"_s);
    QDir().mkpath(pages);

    bool failed = false;
    int run = 0;
    const auto writePages = [&](bool changeEveryPage) {
        bench::Stopwatch watch;
        CatalogueDatabase db(catalogue);
        RecordSet records;
        records.open(u"select * from Products order by StockNo"_s, db);
        const QList<PageProduct> list = PageProduct::readAll(records);
        PageOptions options;
        if (changeEveryPage)
            options.PageTitle = u"Run "_s + QString::number(++run) + u" Catalog Page # tq2002-18"_s;
        CataloguePages::applyRunLayout(options);
        options.OverwritePages = true;
        const int highest = CataloguePages::highestPageNumber(list);
        const auto result = CataloguePages::write(
            list, options,
            CataloguePages::standardRequest(pages, u"CatPage"_s, 1, highest, catalogue));
        failed = failed || result.anyFailed;
        return watch.milliseconds();
    };
    const auto plain = [&] { return plainPages(catalogue, folder.filePath(u"Plain"_s)); };
    const auto [ms, floorMs] = bench::bestOfInterleaved(
        3, [&] { return writePages(false); }, plain);
    const auto [changedMs, changedFloorMs] = bench::bestOfInterleaved(
        3, [&] { return writePages(true); }, plain);
    if (failed) {
        QTextStream(stderr) << "bench-pages: some pages could not be written\n";
        return 2;
    }
    bench::printVersusFloor(u"pages"_s, ms, floorMs);
    bench::printVersusFloor(u"pages, every page changed"_s, changedMs, changedFloorMs);
    return 0;
}
