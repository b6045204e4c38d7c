// The bulk edit on 100 000 products: Retail raised by 10 per cent and the supplier set, as the
// bulk edit screen and the bulk-edit command do it. Its floor is the same change as one UPDATE
// statement in one transaction through SQLite's C API, measured in turn with it.
//
//   bench-bulkedit [PRODUCTS [CATALOGUE]] [--db postgresql://...]
//
// With --db the same bulk edit also runs on the same products in a catalogue on that server (a
// database of its own beside the one named, dropped at the end), journal and all, against the
// server's own single UPDATE making the same change in one transaction of the program's kind:
// "bulk edit on the server: T ms, floor F ms, ratio R", each the median of five runs.

#include "BenchServer.h"
#include "BenchSupport.h"
#include "core/bulkedit/BulkEdit.h"
#include "core/catalogue/RowWriter.h"
#include "core/share/CatalogueShare.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

double bulkEdit(CatalogueDatabase& db, bool* complete) {
    BulkEdit edit;
    edit.set(BulkEdit::columnOf(u"Retail"_s), u"10%"_s);
    edit.set(BulkEdit::columnOf(u"Supplier"_s), *BulkEdit::storedSupplier(db, u"acme tools"_s));
    bench::Stopwatch watch;
    const ImportOutcome outcome =
        edit.run(db, QString(), [](const ImportProgress&) { return true; });
    const double ms = watch.milliseconds();
    *complete = !outcome.cancelled && outcome.errors == 0;
    return ms;
}

double plainUpdate(const QString& path) {
    sqlite3* handle = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &handle);
    bench::Stopwatch watch;
    // Money is stored as whole ten-thousandths, which the column's check insists on.
    const int status = sqlite3_exec(handle,
                                    "BEGIN; UPDATE Products SET Retail = CAST(round(Retail * 1.1) "
                                    "AS INTEGER), Supplier = 'Acme Tools'; COMMIT;",
                                    nullptr, nullptr, nullptr);
    const double ms = watch.milliseconds();
    if (status != SQLITE_OK)
        QTextStream(stderr) << "bench-bulkedit: the floor failed: " << sqlite3_errmsg(handle)
                            << '\n';
    sqlite3_close(handle);
    return ms;
}

// The bulk edit on the server against the server's own UPDATE of the same rows, each run in
// turn on one catalogue: both raise every retail price again and set the supplier.
bool onServer(const QString& uri, const QString& file, qint64 rows) {
    bench::ScratchDatabase scratch(uri, u"tovin_bench_bulkedit"_s);
    CatalogueShare::share(file, scratch.uri(), true);
    CatalogueDatabase db(scratch.uri());
    bench::runPsql(scratch.uri(), "ANALYZE;\n");
    bool complete = true;
    const auto [ms, floorMs] = bench::medianOfInterleaved(
        5,
        [&] {
            bool done = false;
            const double t = bulkEdit(db, &done);
            complete = complete && done;
            return t;
        },
        [&] {
            return bench::runPsql(
                scratch.uri(),
                bench::programTransaction("UPDATE Products SET Retail = round(Retail * 1.1), "
                                          "Supplier = 'Acme Tools';\n"));
        });
    bench::printVersusFloor(u"bulk edit on the server"_s, ms, floorMs);
    const qint64 changed =
        db.scalar(u"SELECT count(*) FROM Products WHERE Supplier = 'Acme Tools'"_s).toLongLong();
    return complete && changed == rows;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString server = bench::serverArgument(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.mde"_s);
    bench::catalogueForRun(argc, argv, path, rows);
    // The floor works on a copy, so that both start from the same rows.
    const QString floorPath = dir.filePath(u"floor.mde"_s);
    QFile::copy(path, floorPath);
    {
        CatalogueDatabase db(path);
        RowWriter::insert(db, u"Supplier"_s, {{0, 1}, {1, u"Acme Tools"_s}});
    }
    // The server's catalogue starts from the same products.
    const QString serverStart = dir.filePath(u"server.mde"_s);
    QFile::copy(path, serverStart);
    CatalogueDatabase db(path);

    bool complete = true;
    const auto [ms, floorMs] = bench::bestOfInterleaved(
        3,
        [&] {
            bool done = false;
            const double t = bulkEdit(db, &done);
            complete = complete && done;
            return t;
        },
        [&] { return plainUpdate(floorPath); });
    const qint64 changed =
        db.scalar(u"SELECT count(*) FROM Products WHERE Supplier = 'Acme Tools'"_s).toLongLong();
    bench::printVersusFloor(u"bulk edit"_s, ms, floorMs);
    const bool serverComplete = server.isEmpty() || onServer(server, serverStart, rows);
    return changed == rows && complete && serverComplete ? 0 : 1;
}
