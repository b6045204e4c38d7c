// Undoing an import of 100 000 new products: every added row checked against what the import
// wrote and deleted, in one transaction. Prints the time next to its floor: plain SQLite
// deleting the same rows by key in one transaction, on a copy of the same catalogue.

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
    const QString floorPath = dir.filePath(u"floor.mde"_s);
    db.copyTo(floorPath);

    bench::Stopwatch watch;
    const RunUndo::Result result = RunUndo::undo(db, run);
    const double seconds = watch.milliseconds() / 1000.0;
    double floorSeconds = 0;
    {
        CatalogueDatabase plain(floorPath);
        const std::vector<qint64> keys = bench::selectRowIds(plain, u"SELECT PID FROM Products"_s);
        bench::Stopwatch floorWatch;
        SqliteStatement(plain.handle(), u"BEGIN"_s).next();
        SqliteStatement remove(plain.handle(), u"DELETE FROM Products WHERE PID = ?"_s);
        for (const qint64 key : keys) {
            remove.bind(1, key);
            remove.next();
            remove.reset();
        }
        SqliteStatement(plain.handle(), u"COMMIT"_s).next();
        floorSeconds = floorWatch.milliseconds() / 1000.0;
    }
    QTextStream out(stdout);
    out << "undo: " << result.rowsTakenBack() << " rows in " << QString::number(seconds, 'f', 2)
        << " s, floor " << QString::number(floorSeconds, 'f', 2) << " s, ratio "
        << QString::number(floorSeconds > 0 ? seconds / floorSeconds : 0.0, 'f', 2) << "\n";
    const qint64 left = db.scalar(u"SELECT count(*) FROM Products"_s).toLongLong();
    return result.rowsDeleted == rows && left == 0 ? 0 : 1;
}
