// The re-order list and receiving over a generated catalogue (100 000 products unless told): a
// fifth of the products are watched for re-ordering; the list is built, and orders of 200
// lines are received, each line in its own transaction. Each runs turn about with its floor,
// the same work in plain SQLite in this run, and the best of several repeats is printed as
// "<operation>: T ms, floor F ms, ratio R".
//
//   bench-orders [PRODUCTS [LINES]]
//
// The floors: the list is the SELECT of the watched products that need ordering, in supplier
// and stock-number order; receiving a line is, in one transaction, the product read by its
// stock number and updated, the stock row read and updated, the line dated and marked received.

#include "BenchSupport.h"
#include "core/orders/Receiving.h"
#include "core/orders/ReorderList.h"
#include "core/orders/StoredRows.h"

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

constexpr int Repeats = 3;

// Adds an order of `lines` lines for products picked by `offset`, so that every order of the
// run receives other products. Returns the rowids of its lines.
QList<qint64> addOrder(CatalogueDatabase& db, const QString& orderId, int lines, int offset) {
    ScopedTransaction transaction(db);
    StorageStatement& q =
        db.run(u"SELECT StockNo FROM Products WHERE PID % 97 = ? LIMIT ?"_s, {offset % 97, lines});
    QStringList stockNumbers;
    while (q.next())
        stockNumbers << q.value(0).toString();
    q.finish();
    QList<qint64> rows;
    for (const QString& stockNo : stockNumbers)
        rows << StoredRows::insert(db, u"Orders"_s,
                                   {{u"Order ID"_s, orderId},
                                    {u"ProductOrderID"_s, stockNo},
                                    {u"NumberOrdered"_s, 4},
                                    {u"Cost"_s, 10},
                                    {u"Shipping"_s, 1},
                                    {u"Fees"_s, 1},
                                    {u"Discount"_s, 0}});
    transaction.commit();
    return rows;
}

void exec(CatalogueDatabase& db, const QString& sql, const QVariantList& values = {}) {
    SqliteStatement statement(bench::fileHandle(db), sql);
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values.at(i));
    statement.next();
}

// Receiving the lines of an order with plain statements, one transaction a line.
void receivePlainly(CatalogueDatabase& db, const QString& orderId) {
    SqliteStatement lines(bench::fileHandle(db),
                          u"SELECT rowid, ProductOrderID, NumberOrdered FROM Orders "
                          u"WHERE \"Order ID\" = ? ORDER BY ProductOrderID"_s);
    lines.bind(1, orderId);
    QList<std::tuple<qint64, QString, double>> order;
    while (lines.next())
        order.append({lines.integer(0), lines.value(1, ColumnKind::Text).toString(),
                      lines.value(2, ColumnKind::Number).toDouble()});
    for (const auto& [row, stockNo, quantity] : order) {
        exec(db, u"BEGIN"_s);
        const std::vector<qint64> product = bench::selectRowIds(
            db,
            u"SELECT rowid, Inventory, OnOrder, Notes, Retail FROM Products WHERE StockNo = ?"_s,
            {stockNo});
        if (!product.empty())
            exec(db,
                 u"UPDATE Products SET Inventory = Inventory + ?1, OnOrder = OnOrder - ?1, "
                 u"Notes = coalesce(Notes, '') || ?2 WHERE rowid = ?3"_s,
                 {quantity, u"\r\nReceived 12/06/2026"_s, product.front()});
        const std::vector<qint64> stock = bench::selectRowIds(
            db, u"SELECT rowid, Number FROM Inventory WHERE \"Product Id\" = ?"_s, {stockNo});
        if (stock.empty())
            exec(db,
                 u"INSERT INTO Inventory (\"Product Id\", Number, \"Date In\") "
                 u"VALUES (?, ?, '2026-12-06')"_s,
                 {stockNo, quantity});
        else
            exec(db, u"UPDATE Inventory SET Number = Number + ? WHERE rowid = ?"_s,
                 {quantity, stock.front()});
        exec(db, u"UPDATE Orders SET \"Date Received\" = '2026-12-06' WHERE rowid = ?"_s, {row});
        exec(db, u"INSERT OR IGNORE INTO ReceivedLines (OrderRow) VALUES (?)"_s, {row});
        exec(db, u"COMMIT"_s);
    }
}

} // namespace

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

    qsizetype listed = 0;
    qsizetype groupCount = 0;
    auto [listMs, listFloor] = bench::bestInterleaved(
        Repeats,
        [&] {
            const QList<ReorderList::SupplierGroup> groups = ReorderList::build(db);
            groupCount = groups.size();
            listed = 0;
            for (const auto& group : groups)
                listed += group.items.size();
        },
        [&] {
            bench::selectRowIds(
                db, u"SELECT rowid, StockNo, ProdName, Supplier, Inventory, OnOrder, ReOrder, "
                    u"MinOrdW FROM Products WHERE Orderable <> 0 AND coalesce(Disco, 0) = 0 "
                    u"AND ReOrder > 0 AND coalesce(Inventory, 0) + coalesce(OnOrder, 0) <= "
                    u"ReOrder ORDER BY Supplier, StockNo"_s);
        });
    bench::printVersusFloor("re-order list", listMs, listFloor);

    for (int i = 0; i < Repeats; ++i) {
        addOrder(db, u"B-%1"_s.arg(i), lines, 2 * i);
        addOrder(db, u"C-%1"_s.arg(i), lines, 2 * i + 1);
    }
    int received = 0;
    QStringList failures;
    int repeat = 0;
    auto [receiveMs, receiveFloor] = bench::bestInterleaved(
        Repeats,
        [&] {
            const Receiving::OrderResult result =
                Receiving::receiveOrder(db, u"B-%1"_s.arg(repeat), QDate(2026, 12, 6));
            received = result.received;
            failures << result.failures;
        },
        [&] { receivePlainly(db, u"C-%1"_s.arg(repeat++)); });
    bench::printVersusFloor("receiving", receiveMs, receiveFloor);

    out << "listed: " << listed << " items in " << groupCount << " groups over " << products
        << " products\n";
    out << "received: " << received << " lines, " << receiveMs / qMax(1, received)
        << " ms a line\n";
    out << "peak memory: " << bench::peakMemoryMB() << " MB\n";
    out.flush();
    for (const QString& failure : std::as_const(failures))
        QTextStream(stderr) << "bench-orders: " << failure << "\n";
    return failures.isEmpty() ? 0 : 1;
}
