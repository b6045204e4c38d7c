// Record set on a 100 000-product catalogue: open, filter, sort, find and MoveNext.
// Prints one line per operation: "<operation>: <milliseconds> ms", then the peak memory.

#include "BenchSupport.h"
#include "core/data/RecordSet.h"

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int products = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.mde"_s);
    bench::generateCatalogue(path, products);
    QTextStream out(stdout);

    CatalogueDatabase db(path);
    RecordSet rs;
    bench::Stopwatch watch;
    rs.open(u"select PID,Catagory,Cost1,Cost2,Cost3,Cost4,Cost5,Disco,Inventory,MinOrdR,MinOrdW,"
            u"NoSold,Notes,OnOrder,OnSpecial,Orderable,OutStock,Packaging,PageNo,Picture,Price,"
            u"ProdDesc,ProdName,ReOrder,Retail,Ship1,Ship2,StockNo,Supplier,Taxable,Weight from "
            u"Products order by StockNo"_s,
            db);
    out << "open: " << watch.milliseconds() << " ms\n";

    watch.restart();
    rs.setFilter(u"ProdName like '*lamp*' or ProdDesc like '*lamp*'"_s);
    out << "filter: " << watch.milliseconds() << " ms (" << rs.recordCount() << " rows)\n";
    rs.setFilter(QString());

    watch.restart();
    rs.setSort(u"Catagory,Retail Desc"_s);
    out << "sort: " << watch.milliseconds() << " ms\n";

    rs.moveLast();
    const QString wanted = rs.value(u"StockNo"_s).toString();
    rs.moveFirst();
    watch.restart();
    rs.find(u"[StockNo] = '"_s + wanted + u"'"_s, 0, RecordSet::SearchDirection::Forward,
            RecordSet::FindStart::FirstRow);
    out << "find: " << watch.milliseconds() << " ms\n";

    rs.moveFirst();
    watch.restart();
    int moves = 0;
    while (!rs.eof() && moves < 100000) {
        rs.moveNext();
        ++moves;
    }
    out << "movenext: " << watch.milliseconds() << " ms (" << moves << " moves)\n";
    out << "peak memory: " << bench::peakMemoryMB() << " MB\n";
    return 0;
}
