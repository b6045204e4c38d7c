// The re-order list and receiving over a 100 000-product catalogue: builds the list once (a
// fifth of the products are watched for re-ordering), then receives one order of 200 lines,
// each line in its own transaction. Prints both times.
//
//   bench-orders [PRODUCTS [LINES]]

#include "BenchSupport.h"
#include "core/orders/Receiving.h"
#include "core/orders/ReorderList.h"
#include "core/orders/StoredRows.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int products = args.size() > 1 ? args.at(1).toInt() : 100000;
    const int lines = args.size() > 2 ? args.at(2).toInt() : 200;
    QTextStream out(stdout);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.mde"_s);
    bench::generateCatalogue(path, products);
    CatalogueDatabase db(path);
    db.run(u"UPDATE Products SET ReOrder = 10, Orderable = 1, MinOrdW = 6 WHERE PID % 5 = 0"_s);

    bench::Stopwatch watch;
    const QList<ReorderList::SupplierGroup> groups = ReorderList::build(db);
    const double listMs = watch.milliseconds();
    qsizetype listed = 0;
    for (const auto& group : groups)
        listed += group.items.size();

    {
        ScopedTransaction transaction(db);
        QSqlQuery& q =
            db.run(u"SELECT StockNo FROM Products WHERE PID % 97 = 0 LIMIT ?"_s, {lines});
        QStringList stockNumbers;
        while (q.next())
            stockNumbers << q.value(0).toString();
        q.finish();
        for (const QString& stockNo : stockNumbers)
            StoredRows::insert(db, u"Orders"_s,
                               {{u"Order ID"_s, u"B-1"_s},
                                {u"ProductOrderID"_s, stockNo},
                                {u"NumberOrdered"_s, 4},
                                {u"Cost"_s, 10},
                                {u"Shipping"_s, 1},
                                {u"Fees"_s, 1},
                                {u"Discount"_s, 0}});
        transaction.commit();
    }
    watch.restart();
    const Receiving::OrderResult received =
        Receiving::receiveOrder(db, u"B-1"_s, QDate(2026, 12, 6));
    const double receiveMs = watch.milliseconds();

    out << "re-order list over " << products << " products: " << listed << " items in "
        << groups.size() << " groups, " << listMs << " ms\n";
    out << "receiving " << received.received << " lines: " << receiveMs << " ms ("
        << receiveMs / qMax(1, received.received) << " ms a line)\n";
    out << "peak memory: " << bench::peakMemoryMB() << " MB\n";
    return received.failures.isEmpty() ? 0 : 1;
}
