// The bulk edit on 100 000 products: Retail raised by 10 per cent and the supplier set, as the
// bulk edit screen and the bulk-edit command do it. Prints one line with the rows per second.

#include "BenchSupport.h"
#include "core/bulkedit/BulkEdit.h"
#include "core/data/RowWriter.h"

#include <QCoreApplication>
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
    RowWriter::insert(db, u"Supplier"_s, {{0, 1}, {1, u"Acme Tools"_s}});

    BulkEdit edit;
    edit.set(BulkEdit::columnOf(u"Retail"_s), u"10%"_s);
    edit.set(BulkEdit::columnOf(u"Supplier"_s), *BulkEdit::storedSupplier(db, u"acme tools"_s));
    bench::Stopwatch watch;
    const ImportOutcome outcome =
        edit.run(db, QString(), [](const ImportProgress&) { return true; });
    const double seconds = watch.milliseconds() / 1000.0;
    const qint64 changed =
        db.scalar(u"SELECT count(*) FROM Products WHERE Supplier = 'Acme Tools'"_s).toLongLong();
    QTextStream out(stdout);
    out << "bulk edit: " << changed << " rows in " << QString::number(seconds, 'f', 2) << " s ("
        << QString::number(changed / seconds, 'f', 0) << " rows/s)\n";
    return changed == rows && !outcome.cancelled ? 0 : 1;
}
