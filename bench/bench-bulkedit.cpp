// The bulk edit on 100 000 products: Retail raised by 10 per cent and the supplier set, as the
// bulk edit screen and the bulk-edit command do it. Its floor is the same change as one UPDATE
// statement in one transaction through SQLite's C API, measured in turn with it.
//
//   bench-bulkedit [PRODUCTS [CATALOGUE]]

#include "BenchSupport.h"
#include "core/bulkedit/BulkEdit.h"
#include "core/data/RowWriter.h"

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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.mde"_s);
    bench::catalogueForRun(argc, argv, path, rows);
    // The floor works on a copy, so that both start from the same rows.
    const QString floorPath = dir.filePath(u"floor.mde"_s);
    QFile::copy(path, floorPath);
    CatalogueDatabase db(path);
    RowWriter::insert(db, u"Supplier"_s, {{0, 1}, {1, u"Acme Tools"_s}});

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
    return changed == rows && complete ? 0 : 1;
}
