// Undoing an import of 100 000 new products: every added row checked against what the import
// wrote and deleted, in one transaction. Prints one line with the time.

#include "BenchSupport.h"
#include "core/data/CatalogueDatabase.h"
#include "core/import/Divider.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"
#include "core/journal/RunHistory.h"
#include "core/journal/RunUndo.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
namespace PC = CatalogueSchema::ProductsColumn;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.mde"_s);
    CatalogueDatabase::create(path);
    CatalogueDatabase db(path);
    QByteArray lines;
    for (int i = 0; i < rows; ++i)
        lines += u"U%1,Item number %1 with a longer name,%2.%3\r\n"_s.arg(i)
                     .arg(i % 97)
                     .arg(i % 100, 2, 10, QChar(u'0'))
                     .toUtf8();
    ImportOptions options;
    options.note = u"bench"_s;
    options.onError = [](const RunTimeError&) {};
    ProductImporter::importText(db, TextFile::decode(lines), 0, Divider::comma(),
                                FieldMap{{0, PC::StockNo}, {1, PC::ProdName}, {2, PC::Retail}},
                                options, {});
    const qint64 run = RunHistory::runs(db).value(0).number;

    bench::Stopwatch watch;
    const RunUndo::Result result = RunUndo::undo(db, run);
    const double seconds = watch.milliseconds() / 1000.0;
    QTextStream out(stdout);
    out << "undo: " << result.rowsTakenBack() << " rows in " << QString::number(seconds, 'f', 2)
        << " s\n";
    const qint64 left = db.scalar(u"SELECT count(*) FROM Products"_s).toLongLong();
    return result.rowsDeleted == rows && left == 0 ? 0 : 1;
}
