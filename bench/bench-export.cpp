// The export of 100 000 products with all 30 columns, as the export screen and the export
// command write it. Its floor is plain SQLite doing the same reading and writing: the SELECT of
// every column in stock-number order through the C API, each value's text written with a comma
// after it to a file, measured in turn with the export.
//
//   bench-export [PRODUCTS [CATALOGUE]]

#include "BenchSupport.h"
#include "core/export/DelimitedExport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

double plainExport(const QString& path, const QString& file) {
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    bench::Stopwatch watch;
    FILE* out = std::fopen(QFile::encodeName(file).constData(), "wb");
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(handle, "SELECT * FROM Products ORDER BY StockNo", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(select);
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(select, c);
            if (text)
                std::fputs(reinterpret_cast<const char*>(text), out);
            std::fputc(c + 1 < columns ? ',' : '\n', out);
        }
    }
    sqlite3_finalize(select);
    std::fclose(out);
    const double ms = watch.milliseconds();
    sqlite3_close(handle);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.mde"_s);
    bench::catalogueForRun(argc, argv, path, rows);
    CatalogueDatabase db(path);

    DelimitedExport exporter;
    QList<int> all;
    for (int column = 1; column <= 30; ++column)
        all << column;
    exporter.setColumns(all);
    const QString file = dir.filePath(u"export.txt"_s);
    qint64 written = 0;
    const auto [ms, floorMs] = bench::bestOfInterleaved(
        3,
        [&] {
            bench::Stopwatch watch;
            exporter.run(db, file, [&](const ImportProgress& progress) {
                written = progress.value;
                return true;
            });
            return watch.milliseconds();
        },
        [&] { return plainExport(path, dir.filePath(u"floor.txt"_s)); });
    bench::printVersusFloor(u"export"_s, ms, floorMs);
    return written == rows ? 0 : 1;
}
