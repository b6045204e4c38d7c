// The export of 100 000 products with all 30 columns, as the export screen and the export
// command write it. Prints one line with the rows per second.

#include "BenchSupport.h"
#include "core/export/DelimitedExport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

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
    bench::Stopwatch watch;
    exporter.run(db, file, [&](const ImportProgress& progress) {
        written = progress.value;
        return true;
    });
    const double seconds = watch.milliseconds() / 1000.0;
    QTextStream out(stdout);
    out << "export: " << written << " rows in " << QString::number(seconds, 'f', 2) << " s ("
        << QString::number(written / seconds, 'f', 0) << " rows/s), "
        << QFileInfo(file).size() / 1024 << " KB\n";
    return written == rows ? 0 : 1;
}
