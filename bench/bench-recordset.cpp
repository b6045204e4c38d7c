// The record set on a generated catalogue (100 000 products unless told): open, filter, sort,
// find by stock number and MoveNext. Each operation runs turn about with its floor, the same
// work done by plain SQLite in this run, and the best of several repeats of each is printed as
// "<operation>: T ms, floor F ms, ratio R", then the peak memory.
//
//   bench-recordset [PRODUCTS [CATALOGUE]] [--db postgresql://...] [--runs N]
//
// With --runs N each figure is the median of N runs of the operation and of its floor, taken in
// turn, instead of the best of several.
//
// With --db the same record-set work also runs on a catalogue on that PostgreSQL server (in a
// database of its own beside the one named, dropped at the end): "<operation> on the server: T
// ms, floor F ms, ratio R", the floor being the same work in plain SQL on the server (the same
// rows in the same order, through the program's statements as the file's floors go through
// SQLite's), then "<operation> on the server against the file", the floor being the file's time.
//
// The floors: open lists the keys in stock-number order and reads the first row; filter and
// sort list the keys of the matching rows in their order; find is the indexed SELECT of the
// stock number; MoveNext steps the screen's SELECT over as many rows with all their columns.

#include "BenchServer.h"
#include "BenchSupport.h"
#include "core/catalogue/RecordSet.h"

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

const QString Columns =
    u"PID,Catagory,Cost1,Cost2,Cost3,Cost4,Cost5,Disco,Inventory,MinOrdR,MinOrdW,NoSold,Notes,"
    u"OnOrder,OnSpecial,Orderable,OutStock,Packaging,PageNo,Picture,Price,ProdDesc,ProdName,"
    u"ReOrder,Retail,Ship1,Ship2,StockNo,Supplier,Taxable,Weight"_s;
const QString Select = u"select "_s + Columns + u" from Products order by StockNo"_s;

constexpr int Repeats = 5;
// The runs asked for with --runs, 0 for the best of the default repeats.
int askedRuns = 0;

// Reads every column of the rows of a statement, as showing them would.
qint64 stepRows(CatalogueDatabase& db, const QString& sql, int columns, qint64 limit) {
    SqliteStatement statement(bench::fileHandle(db), sql);
    qint64 rows = 0;
    while (rows < limit && statement.next()) {
        for (int c = 0; c < columns; ++c)
            statement.value(c, ColumnKind::Text);
        ++rows;
    }
    return rows;
}

// The keys a statement gives, in its order.
std::vector<qint64> keysOf(CatalogueDatabase& db, const QString& sql) {
    const std::unique_ptr<StorageStatement> statement = db.prepare(sql);
    std::vector<qint64> keys;
    statement->appendRemainingIntegers(0, keys);
    return keys;
}

// The server's own work for each operation, in plain SQL: the keys in the set's order (the
// order the program asks the server for, the stock number's letters compared as the file
// compares them), and for open the first row with every column, as the screen shows it.
struct ServerFloors {
    CatalogueDatabase& db;
    QString keyOrder = db.dialect().textOrder(u"StockNo"_s) + u", rowid"_s;

    void open() {
        const std::vector<qint64> keys =
            keysOf(db, u"SELECT rowid FROM Products ORDER BY "_s + keyOrder);
        const std::unique_ptr<StorageStatement> first =
            db.prepare(u"SELECT "_s + Columns + u" FROM Products WHERE rowid = ?"_s);
        first->bind(1, keys.empty() ? qint64(0) : keys.front());
        const int columns = int(Columns.count(u',')) + 1;
        while (first->next())
            for (int c = 0; c < columns; ++c)
                first->value(c, ColumnKind::Text);
    }
    int filter() {
        const StorageDialect& dialect = db.dialect();
        return int(keysOf(db, u"SELECT rowid FROM Products WHERE "_s +
                                  dialect.likeIgnoringCase(u"ProdName"_s, u"'%lamp%'"_s) +
                                  u" OR "_s +
                                  dialect.likeIgnoringCase(u"ProdDesc"_s, u"'%lamp%'"_s) +
                                  u" ORDER BY "_s + keyOrder)
                       .size());
    }
    void sort() {
        keysOf(db, u"SELECT rowid FROM Products ORDER BY Catagory, Retail DESC, rowid"_s);
    }
};

// Open, filter and sort through the record set on the server's catalogue, each in turn with
// the same work in plain SQL on the server, then in turn with the same on the file's.
void compareWithServer(const QString& uri, const QString& file, int products) {
    bench::ScratchDatabase scratch(uri, u"tovin_bench_recordset"_s);
    bench::generateCatalogue(scratch.uri(), products);
    CatalogueDatabase server(scratch.uri());
    CatalogueDatabase local(file);
    ServerFloors floors{server};
    RecordSet onServer;
    RecordSet onFile;
    // An open takes some milliseconds, where a busy machine's hiccups weigh most: it is tried
    // more often.
    const auto [openMs, openFloor] = bench::timedMedianOrBest(
        askedRuns, Repeats * 4, [&] { onServer.open(Select, server); }, [&] { floors.open(); });
    bench::printVersusFloor("open on the server", openMs, openFloor);
    const QString lamp = u"ProdName like '*lamp*' or ProdDesc like '*lamp*'"_s;
    const auto filtered = [&lamp](RecordSet& rs) {
        rs.setFilter(lamp);
        const int matched = rs.recordCount();
        rs.setFilter(QString());
        return matched;
    };
    int matchedOnServer = 0;
    int matchedByFloor = 0;
    const auto [filterMs, filterFloor] = bench::timedMedianOrBest(
        askedRuns, Repeats, [&] { matchedOnServer = filtered(onServer); },
        [&] { matchedByFloor = floors.filter(); });
    bench::printVersusFloor("filter on the server", filterMs, filterFloor);
    const auto [sortMs, sortFloor] = bench::timedMedianOrBest(
        askedRuns, Repeats, [&] { onServer.setSort(u"Catagory,Retail Desc"_s); },
        [&] { floors.sort(); });
    bench::printVersusFloor("sort on the server", sortMs, sortFloor);
    onServer.setSort(QString());

    const auto [openAgain, openFile] = bench::timedMedianOrBest(
        askedRuns, Repeats * 4, [&] { onServer.open(Select, server); },
        [&] { onFile.open(Select, local); });
    bench::printVersusFloor("open on the server against the file", openAgain, openFile);
    int matchedOnFile = 0;
    const auto [filterAgain, filterFile] = bench::timedMedianOrBest(
        askedRuns, Repeats, [&] { matchedOnServer = filtered(onServer); },
        [&] { matchedOnFile = filtered(onFile); });
    bench::printVersusFloor("filter on the server against the file", filterAgain, filterFile);
    const auto [sortAgain, sortFile] = bench::timedMedianOrBest(
        askedRuns, Repeats, [&] { onServer.setSort(u"Catagory,Retail Desc"_s); },
        [&] { onFile.setSort(u"Catagory,Retail Desc"_s); });
    bench::printVersusFloor("sort on the server against the file", sortAgain, sortFile);
    if (matchedOnServer != matchedOnFile || matchedByFloor != matchedOnFile ||
        onServer.recordCount() != onFile.recordCount())
        QTextStream(stderr) << "bench-recordset: the server found " << matchedOnServer
                            << " rows, its floor " << matchedByFloor << ", the file "
                            << matchedOnFile << "\n";
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString server = bench::serverArgument(argc, argv);
    askedRuns = bench::runsArgument(argc, argv);
    const int products = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bench.mde"_s);
    bench::catalogueForRun(argc, argv, path, products);
    QTextStream out(stdout);

    CatalogueDatabase db(path);
    const int columnCount = int(Columns.count(u',')) + 1;
    RecordSet rs;
    auto [openMs, openFloor] = bench::timedMedianOrBest(
        askedRuns, Repeats, [&] { rs.open(Select, db); },
        [&] {
            bench::selectRowIds(db, u"SELECT rowid FROM Products ORDER BY StockNo"_s);
            stepRows(db, u"SELECT "_s + Columns + u" FROM Products ORDER BY StockNo LIMIT 1"_s,
                     columnCount, 1);
        });
    bench::printVersusFloor("open", openMs, openFloor);

    const QString lamp = u"ProdName like '*lamp*' or ProdDesc like '*lamp*'"_s;
    int matched = 0;
    auto [filterMs, filterFloor] = bench::timedMedianOrBest(
        askedRuns, Repeats,
        [&] {
            rs.setFilter(lamp);
            matched = rs.recordCount();
            rs.setFilter(QString());
        },
        [&] {
            bench::selectRowIds(db, u"SELECT rowid FROM Products WHERE ProdName LIKE '%lamp%' "
                                    u"OR ProdDesc LIKE '%lamp%' ORDER BY StockNo"_s);
        });
    bench::printVersusFloor("filter", filterMs, filterFloor);

    auto [sortMs, sortFloor] = bench::timedMedianOrBest(
        askedRuns, Repeats, [&] { rs.setSort(u"Catagory,Retail Desc"_s); },
        [&] {
            bench::selectRowIds(
                db, u"SELECT rowid FROM Products ORDER BY Catagory, Retail DESC, rowid"_s);
        });
    bench::printVersusFloor("sort", sortMs, sortFloor);
    rs.setSort(QString());

    rs.moveLast();
    const QString wanted = rs.value(u"StockNo"_s).toString();
    rs.moveFirst();
    auto [findMs, findFloor] = bench::timedMedianOrBest(
        askedRuns, Repeats,
        [&] {
            rs.find(u"[StockNo] = '"_s + wanted + u"'"_s, 0, RecordSet::SearchDirection::Forward,
                    RecordSet::FindStart::FirstRow);
        },
        [&] {
            bench::selectRowIds(db, u"SELECT rowid FROM Products WHERE StockNo = ?"_s, {wanted});
        });
    bench::printVersusFloor("find", findMs, findFloor);
    if (rs.eof() || rs.value(u"StockNo"_s).toString() != wanted) {
        QTextStream(stderr) << "bench-recordset: find did not reach " << wanted << "\n";
        return 1;
    }

    const int moves = std::min(products, 100000);
    auto [moveMs, moveFloor] = bench::timedMedianOrBest(
        askedRuns, Repeats,
        [&] {
            rs.moveFirst();
            for (int i = 0; i < moves && !rs.eof(); ++i)
                rs.moveNext();
        },
        [&] {
            stepRows(db, u"SELECT "_s + Columns + u" FROM Products ORDER BY StockNo"_s, columnCount,
                     moves);
        });
    bench::printVersusFloor("movenext", moveMs, moveFloor);
    out << "rows: " << products << ", " << matched << " matching the filter, " << moves
        << " moves\n";
    out << "peak memory: " << bench::peakMemoryMB() << " MB\n";
    if (!server.isEmpty())
        compareWithServer(server, path, products);
    return 0;
}
