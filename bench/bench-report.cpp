// The Cost 1 price list of a generated catalogue (100 000 products unless told) written as a PDF
// file, as "tovin-catalog report cost1" writes it: the rows read and filled into the page, the
// pages laid out and painted. Its floor is plain SQLite reading the same rows: the report's
// SELECT through the C API, every column's text taken. The ratio is large by nature (a page
// laid out costs far more than a row read); what it shows is how the report's time grows with
// its rows: the ratio stays about the same from 20 000 products to 100 000.
//
//   bench-report [PRODUCTS [CATALOGUE]]

#include "BenchSupport.h"
#include "core/reports/PreparedReport.h"
#include "ui/reports/ReportDocument.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

// The report file the program ships, read from the source tree.
QString costReport() {
    return QString::fromUtf8(TOVIN_RESOURCES_DIR) + u"/program/cost1.rpt"_s;
}

double plainRead(const QString& path, qint64& rows) {
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    bench::Stopwatch watch;
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(handle,
                       "SELECT StockNo, ProdName, Packaging, MinOrdW, Supplier, Cost1 AS Cost "
                       "FROM Products ORDER BY StockNo",
                       -1, &select, nullptr);
    rows = 0;
    std::size_t characters = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(select); ++c)
            if (const unsigned char* text = sqlite3_column_text(select, c))
                characters += std::strlen(reinterpret_cast<const char*>(text));
        ++rows;
    }
    sqlite3_finalize(select);
    const double ms = watch.milliseconds();
    sqlite3_close(handle);
    // What was read is used, so no compiler leaves the reading out.
    if (characters == 0)
        rows = 0;
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    // Laying out and painting text needs fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int runs = bench::runsArgument(argc, argv);
    QGuiApplication app(argc, argv);
    const int products = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.mde"_s);
    bench::catalogueForRun(argc, argv, path, products);
    const QString pdf = dir.filePath(u"report.pdf"_s);

    qint64 rows = 0;
    const auto [ms, floorMs] = bench::bestOfInterleaved(
        std::max(runs, 1),
        [&] {
            bench::Stopwatch watch;
            ReportDocument document(PreparedReport::make(costReport(), path));
            document.writePdf(pdf, OutputRules{path});
            return watch.milliseconds();
        },
        [&] { return plainRead(path, rows); });
    std::printf("report of %lld products, %.1f s, peak memory %.0f MB\n",
                static_cast<long long>(rows), ms / 1000.0, bench::peakMemoryMB());
    bench::printVersusFloor(u"report"_s, ms, floorMs);
    return QFileInfo(pdf).size() > 0 && rows == products ? 0 : 1;
}
