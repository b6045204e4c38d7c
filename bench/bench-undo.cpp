// Undoing an import of 100 000 new products: every added row checked against what the import
// wrote and deleted, in one transaction. Prints the time next to its floor: plain SQLite
// deleting the same rows by key in one transaction, on a copy of the same catalogue.
//
//   bench-undo [PRODUCTS] [--db postgresql://...] [--runs N]
//
// With --db the same import is made on a catalogue on that server (a database of its own
// beside the one named, dropped at the end) and undone as it stands. Then it is made again,
// with a bulk edit raising every retail price after it, and the bulk edit is undone, leaving
// the rows as the import wrote them but written since; the import is undone again. Each undo
// is measured against the server's own statement doing the same change (an UPDATE setting the
// prices back, a DELETE of the rows) in one transaction of the program's kind that is rolled
// back (the catalogue is the undo's to change); an import's undo runs on a connection of its
// own, as the undo command's does: "undo on the server: T ms, floor F ms, ratio R" (the
// import's as it stands), "undo on the server, rows written since: ..." and "undo of a bulk
// edit on the server: ...", each the median of N runs (--runs N, five without it).

#include "BenchServer.h"
#include "BenchSupport.h"
#include "core/bulkedit/BulkEdit.h"
#include "core/catalogue/CatalogueDatabase.h"
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

namespace {

QByteArray productLines(int rows) {
    QByteArray lines;
    for (int i = 0; i < rows; ++i)
        lines += u"U%1,Item number %1 with a longer name,%2.%3\r\n"_s.arg(i)
                     .arg(i % 97)
                     .arg(i % 100, 2, 10, QChar(u'0'))
                     .toUtf8();
    return lines;
}

// Imports the lines as new products; the run's number.
qint64 importProducts(CatalogueDatabase& db, const QByteArray& lines) {
    ImportOptions options;
    options.note = u"bench"_s;
    options.onError = [](const RunTimeError&) {};
    ProductImporter::importText(db, TextFile::decode(lines), 0, Divider::comma(),
                                FieldMap{{0, PC::StockNo}, {1, PC::ProdName}, {2, PC::Retail}},
                                options, {});
    return RunHistory::runs(db).value(0).number;
}

// The server's own statement in one transaction of the program's kind, rolled back.
double serverFloor(const QString& uri, const QByteArray& statement) {
    return bench::runPsql(uri, "BEGIN;\nSET LOCAL tovin.transaction = 'on';\n" + statement +
                                   "ROLLBACK;\n");
}

// Undoes the import on a connection of its own, as the undo command has (one that wrote many
// rows before keeps its statements longer, and hid how a kept statement's plan fared); its time
// and its floor join `times` and `floors`. True when it deleted every row the import added.
bool undoImport(const QString& uri, qint64 run, qint64 rows, std::vector<double>& times,
                std::vector<double>& floors) {
    floors.push_back(serverFloor(uri, "DELETE FROM Products;\n"));
    CatalogueDatabase undoing(uri);
    bench::Stopwatch watch;
    const RunUndo::Result undone = RunUndo::undo(undoing, run);
    times.push_back(watch.milliseconds());
    return undone.rowsDeleted == rows && undone.kept.isEmpty();
}

bool onServer(const QString& uri, const QByteArray& lines, qint64 rows, int runs) {
    bench::ScratchDatabase scratch(uri, u"tovin_bench_undo"_s);
    CatalogueDatabase::create(scratch.uri());
    CatalogueDatabase db(scratch.uri());
    std::vector<double> imports, importFloors, written, writtenFloors, edits, editFloors;
    bool complete = true;
    for (int i = 0; i < runs; ++i) {
        const qint64 imported = importProducts(db, lines);
        bench::runPsql(scratch.uri(), "ANALYZE;\n");
        complete = undoImport(scratch.uri(), imported, rows, imports, importFloors) && complete;

        const qint64 again = importProducts(db, lines);
        bench::runPsql(scratch.uri(), "ANALYZE;\n");
        BulkEdit edit;
        edit.set(BulkEdit::columnOf(u"Retail"_s), u"10%"_s);
        edit.run(db, QString());
        const RunHistory::RunInfo editRun = RunHistory::runs(db).value(0);
        const qint64 edited = editRun.number;
        editFloors.push_back(
            serverFloor(scratch.uri(), "UPDATE Products SET Retail = round(Retail / 1.1);\n"));
        bench::Stopwatch editWatch;
        const RunUndo::Result editUndone = RunUndo::undo(db, edited);
        edits.push_back(editWatch.milliseconds());
        // A price the raise leaves as it was (a zero) is no change of the run's.
        complete =
            complete && editUndone.rowsRestored == editRun.changed && editUndone.kept.isEmpty();
        complete = undoImport(scratch.uri(), again, rows, written, writtenFloors) && complete;
    }
    const auto median = [](std::vector<double>& all) {
        std::sort(all.begin(), all.end());
        return all[all.size() / 2];
    };
    bench::printVersusFloor("undo on the server", median(imports), median(importFloors));
    bench::printVersusFloor("undo on the server, rows written since", median(written),
                            median(writtenFloors));
    bench::printVersusFloor("undo of a bulk edit on the server", median(edits), median(editFloors));
    return complete && db.scalar(u"SELECT count(*) FROM Products"_s).toLongLong() == 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString server = bench::serverArgument(argc, argv);
    const int runs = bench::runsArgument(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.mde"_s);
    CatalogueDatabase::create(path);
    CatalogueDatabase db(path);
    const QByteArray lines = productLines(rows);
    const qint64 run = importProducts(db, lines);
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
        SqliteStatement(bench::fileHandle(plain), u"BEGIN"_s).next();
        SqliteStatement remove(bench::fileHandle(plain), u"DELETE FROM Products WHERE PID = ?"_s);
        for (const qint64 key : keys) {
            remove.bind(1, key);
            remove.next();
            remove.reset();
        }
        SqliteStatement(bench::fileHandle(plain), u"COMMIT"_s).next();
        floorSeconds = floorWatch.milliseconds() / 1000.0;
    }
    QTextStream out(stdout);
    out << "undo: " << result.rowsTakenBack() << " rows in " << QString::number(seconds, 'f', 2)
        << " s, floor " << QString::number(floorSeconds, 'f', 2) << " s, ratio "
        << QString::number(floorSeconds > 0 ? seconds / floorSeconds : 0.0, 'f', 2) << "\n";
    out.flush();
    const qint64 left = db.scalar(u"SELECT count(*) FROM Products"_s).toLongLong();
    const bool serverComplete =
        server.isEmpty() || onServer(server, lines, rows, runs > 0 ? runs : 5);
    return result.rowsDeleted == rows && left == 0 && serverComplete ? 0 : 1;
}
