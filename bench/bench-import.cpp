// The record import on a 100 000-line supplier price list: into an empty catalogue (every item
// new) and again with changed prices (every item edited), each against its floor, the same work
// done by plain SQLite (see sqliteFloor), measured in turn with it. Prints rows per second for
// each, the floor's, their ratio and the peak memory. These two lines measure the import alone,
// on catalogues without the run journal; "import new with journal" is the same new import as the
// program runs it, keeping the journal, and "journal cost" its time against the import alone.
// "sqlite3 .import" is the bare shell .import of the same file into a table of text columns,
// which reads and splits the file but stores nothing in Products.
//
//   bench-import [LINES] [--db postgresql://...] [--runs N] [--keep-margins]
//
// With --keep-margins only the import of edits is measured, on a catalogue whose products all
// have a selling price, without and with keep-margins in turn (so both see the same machine):
// "keep margins: N ms against M ms without, ratio R".
//
// Each figure is the best of a few runs of the work and of its floor, taken in turn; with
// --runs N it is the median of N runs of each, which one slow run on a busy machine does not
// move. The side figures (with journal, bare .import, COPY into Products) follow the same rule.
//
// With --db the new import also runs on a catalogue on that PostgreSQL server (a database of its
// own beside the one named, made anew for each run and dropped at the end), without and with
// the journal, each against the floor of the server's own COPY of the same file into a table of
// text columns, which stores nothing the catalogue keeps: "import new on the server: N rows/s,
// floor F rows/s, ratio R". Then the new import, without and with the journal, against the
// server's own COPY of the same products into Products (see serverCopy), which keeps no journal,
// and the import of edits against the server's own
// UPDATE ... FROM (see serverUpdate): these go through the catalogue's indexes, rules and
// triggers, as the import must.

#include "BenchServer.h"
#include "BenchSupport.h"
#include "core/import/FixedMappings.h"
#include "core/import/ProductImporter.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

// The runs asked for with --runs, 0 for the best of the default repeats.
int askedRuns = 0;

// Of several times of one thing: the median when runs were asked for, else the best.
double summary(std::vector<double> times) {
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    return askedRuns > 0 ? times[times.size() / 2] : times.front();
}

// Writes a price list like the supplier's: stock number, page, name, packaging, price.
void writePriceList(const QString& path, int lines, double priceFactor) {
    QRandomGenerator random(20261207);
    const QStringList words{u"Brass"_s,  u"Oak"_s,    u"Garden"_s, u"Kitchen"_s, u"Table"_s,
                            u"Candle"_s, u"Mirror"_s, u"Basket"_s, u"Clock"_s,   u"Vase"_s};
    const QStringList packaging{u"Each"_s, u"Box of 12"_s, u"Case of 24"_s, u"Pair"_s,
                                u"Set of 4"_s};
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QTextStream out(&file);
    for (int i = 0; i < lines; ++i) {
        const double price = (100 + random.bounded(99900)) / 100.0 * priceFactor;
        out << u"%1-%2"_s.arg(QChar(u'A' + i % 26)).arg(i, 6, 10, QChar(u'0')) << ','
            << (1 + i / 40) << ',' << words.at(random.bounded(10)) << ' '
            << words.at(random.bounded(10)) << ' ' << i << ',' << packaging.at(random.bounded(5))
            << ',' << QString::number(price, 'f', 2) << '\n';
    }
}

// A new catalogue for one run; without the journal's tables the import keeps no journal.
QString newCatalogue(const QString& path, bool withJournal) {
    CatalogueDatabase::create(path);
    if (!withJournal) {
        CatalogueDatabase db(path);
        db.run(u"DROP TABLE RunRows"_s);
        db.run(u"DROP TABLE Runs"_s);
    }
    return path;
}

double importFile(CatalogueDatabase& db, const QString& path, bool keepMargins = false) {
    const FixedMappings::SupplierFile white = FixedMappings::priceList(0);
    ImportOptions options;
    options.keepMargins = keepMargins;
    options.margins =
        MarginSettings{Money::fromStored(20 * Money::Scale), *PriceEnding::fromText(u".99"_s)};
    options.note = u"bench"_s;
    options.onError = [](const RunTimeError&) {};
    bench::Stopwatch watch;
    // Streamed from the file, as the supplier-file import reads it.
    const ImportOutcome outcome =
        ProductImporter::importFile(db, path, QString(), 0, white.divider, white.map, options, {});
    const double ms = watch.milliseconds();
    if (outcome.errors)
        QTextStream(stderr) << outcome.errors << " errors\n";
    return ms;
}

// Runs `script` through the sqlite3 shell on the catalogue at `path`; the time of the whole
// run, or 0 when the shell cannot be started.
double runShell(const QString& path, const QByteArray& script) {
    QProcess shell;
    bench::Stopwatch watch;
    shell.start(u"sqlite3"_s, {u"-bail"_s, path});
    if (!shell.waitForStarted())
        return 0;
    shell.write(script);
    shell.write(".quit\n");
    shell.closeWriteChannel();
    shell.waitForFinished(1800000);
    const double ms = watch.milliseconds();
    const QByteArray errors = shell.readAllStandardError();
    if (!errors.isEmpty())
        QTextStream(stderr) << "bench-import: the floor failed: " << errors;
    return ms;
}

// The bare .import: the file read, split and stored in a new table of text columns, nothing
// checked, converted or looked up.
double sqliteImport(const QString& folder, const QString& csv) {
    const QString path = folder + u"/sqlite-import.db"_s;
    QFile::remove(path);
    return runShell(path, "CREATE TABLE t (stock TEXT, page TEXT, name TEXT, packaging TEXT, "
                          "price TEXT);\n.mode csv\n.import '" +
                              csv.toUtf8() + "' t\n");
}

// The floor of the import lines: the same work done by plain SQLite on a copy of `catalogue`
// (which is in the state the measured run starts from). In one transaction, the shell's .import
// of the file into a temporary table, then one INSERT ... SELECT of the stock numbers Products
// does not hold yet (stock number, page, name, packaging, and the price as whole
// ten-thousandths, as the Cost1 column's check insists on; the notes as an added item's), and
// one UPDATE ... FROM of the rows whose price differs (the new price, and the notes with the
// edited block and its change line added). Both find the products through the StockNo index
// and go through every check of the Products table, as the import does.
double sqliteFloor(const QString& folder, const QString& catalogue, const QString& csv) {
    const QString path = folder + u"/sqlite-floor.mde"_s;
    QFile::remove(path);
    QFile::copy(catalogue, path);
    return runShell(
        path,
        "BEGIN;\n"
        "CREATE TEMP TABLE t (stock TEXT, page TEXT, name TEXT, packaging TEXT, price TEXT);\n"
        ".mode csv\n"
        ".import '" +
            csv.toUtf8() +
            "' t\n"
            "INSERT INTO Products (PID, StockNo, PageNo, ProdName, Packaging, Cost1, Notes) "
            "SELECT NULL, stock, page, name, packaging, CAST(round(price * 10000) AS INTEGER), "
            "'bench - Added This Item' || char(13, 10) FROM temp.t "
            "WHERE NOT EXISTS (SELECT 1 FROM Products WHERE Products.StockNo = t.stock);\n"
            "UPDATE Products SET Cost1 = CAST(round(t.price * 10000) AS INTEGER), "
            "Notes = coalesce(Notes, '') || 'bench - Edited This Item' || char(13, 10) || "
            "'   Changed: Cost1 From ''' || (Cost1 / 10000.0) || ''' To ''' || t.price || '''' "
            "|| char(13, 10) FROM temp.t WHERE Products.StockNo = t.stock "
            "AND Products.Cost1 IS NOT CAST(round(t.price * 10000) AS INTEGER);\n"
            "COMMIT;\n");
}

// A script that copies the price list into a temporary table of text columns, for what follows.
QByteArray copiedIntoTemp(const QString& csv) {
    return "CREATE TEMP TABLE t (stock text, page text, name text, packaging text, price text);\n"
           "\\copy t FROM '" +
           csv.toUtf8() + "' WITH (FORMAT csv)\n";
}

// A script that runs `work` in one transaction of the program's kind.
QByteArray inOneTransaction(const QByteArray& work) {
    return "BEGIN;\nSET LOCAL tovin.transaction = 'on';\n" + work + "COMMIT;\n";
}

// The work of an import done by the server alone, through the catalogue's own indexes, rules
// and triggers, on a new catalogue without the journal as the measured imports run on: `before`
// runs first and is not timed, then `timed`.
double serverFloor(const QString& uri, const QByteArray& before, const QByteArray& timed) {
    bench::ScratchDatabase scratch(uri, u"tovin_bench_floor"_s);
    CatalogueDatabase::create(scratch.uri());
    {
        CatalogueDatabase db(scratch.uri());
        db.run(u"DROP TABLE RunRows"_s);
        db.run(u"DROP TABLE Runs"_s);
    }
    bench::runPsql(scratch.uri(), before);
    return bench::runPsql(scratch.uri(), timed);
}

// The price list's products as the import adds them, in Products' columns: stock number, page,
// name, packaging, the price as whole ten-thousandths, the notes of an added item.
const QByteArray NewProductColumns = "StockNo, PageNo, ProdName, Packaging, Cost1, Notes";
const QByteArray NewProducts = "SELECT stock, page, name, packaging, "
                               "CAST(round(CAST(price AS numeric) * 10000) AS bigint), "
                               "'bench - Added This Item' || chr(13) || chr(10) FROM t";

// The server's own COPY of the price list's products into Products, from a file holding them in
// Products' columns (made first, not timed).
double serverCopy(const QString& uri, const QString& csv) {
    const QString converted = csv + u".products.csv"_s;
    return serverFloor(uri,
                       copiedIntoTemp(csv) + "\\copy (" + NewProducts + ") TO '" +
                           converted.toUtf8() + "' WITH (FORMAT csv)\n",
                       inOneTransaction("\\copy Products (" + NewProductColumns + ") FROM '" +
                                        converted.toUtf8() + "' WITH (FORMAT csv)\n"));
}

// The server's own update of the products from the changed price list, on a catalogue holding
// those of the first: the new price, and the notes with the edited block and its change line
// added, for the products whose price differs.
double serverUpdate(const QString& uri, const QString& first, const QString& changed) {
    return serverFloor(
        uri,
        inOneTransaction(copiedIntoTemp(first) + "INSERT INTO Products (" + NewProductColumns +
                         ") " + NewProducts + ";\n"),
        inOneTransaction(
            copiedIntoTemp(changed) +
            "UPDATE Products SET Cost1 = CAST(round(CAST(t.price AS numeric) * 10000) AS bigint), "
            "Notes = coalesce(Notes, '') || 'bench - Edited This Item' || chr(13) || chr(10) || "
            "'   Changed: Cost1 From ''' || (Cost1 / 10000.0) || ''' To ''' || t.price || '''' || "
            "chr(13) || chr(10) FROM t WHERE Products.StockNo = t.stock "
            "AND Products.Cost1 IS DISTINCT FROM "
            "CAST(round(CAST(t.price AS numeric) * 10000) AS bigint);\n"));
}

// The new import on the server's catalogue, made anew for every run, against COPY of the file
// into a bare table and against COPY of its products into Products.
void importOnServer(const QString& uri, const QString& csv, int rows) {
    constexpr int Repeats = 3;
    std::vector<double> withJournal;
    std::vector<double> copiedInto;
    int run = 0;
    const auto imported = [&](bool journal) {
        bench::ScratchDatabase scratch(uri, u"tovin_bench_import"_s);
        CatalogueDatabase::create(scratch.uri());
        CatalogueDatabase db(scratch.uri());
        if (!journal) {
            db.run(u"DROP TABLE RunRows"_s);
            db.run(u"DROP TABLE Runs"_s);
        }
        // Its tables known to the server as empty, as a shop's new catalogue put on the
        // server by `share` is: the server plans the import's reads for empty tables.
        bench::runPsql(scratch.uri(), "ANALYZE;\n");
        return importFile(db, csv);
    };
    const auto [added, copied] = bench::medianOrBest(
        askedRuns, Repeats,
        [&] {
            // Each goes first in turn: the first after the floor's runs meets the server still
            // busy with them.
            const bool journalFirst = run++ % 2 == 0;
            if (journalFirst)
                withJournal.push_back(imported(true));
            const double without = imported(false);
            if (!journalFirst)
                withJournal.push_back(imported(true));
            return without;
        },
        [&] {
            copiedInto.push_back(serverCopy(uri, csv));
            bench::ScratchDatabase scratch(uri, u"tovin_bench_copy"_s);
            return bench::runPsql(scratch.uri(),
                                  "CREATE TABLE t (stock text, page text, name text, "
                                  "packaging text, price text);\n\\copy t FROM '" +
                                      csv.toUtf8() + "' WITH (FORMAT csv)\n");
        });
    bench::printRateVersusFloor(u"import new on the server"_s, rows, added, copied);
    bench::printRateVersusFloor(u"import new with journal on the server"_s, rows,
                                summary(withJournal), copied);
    bench::printRateVersusFloor(u"import new on the server against COPY into Products"_s, rows,
                                added, summary(copiedInto));
    bench::printRateVersusFloor(u"import new with journal on the server against COPY into "
                                u"Products"_s,
                                rows, summary(withJournal), summary(copiedInto));
}

// Every item edited on the server: the old and the changed prices take turns on one catalogue,
// against the server's own update of the products from the changed file.
void editOnServer(const QString& uri, const QString& first, const QString& changed, int rows) {
    constexpr int Repeats = 3;
    bench::ScratchDatabase scratch(uri, u"tovin_bench_edits"_s);
    CatalogueDatabase::create(scratch.uri());
    CatalogueDatabase db(scratch.uri());
    db.run(u"DROP TABLE RunRows"_s);
    db.run(u"DROP TABLE Runs"_s);
    importFile(db, first);
    bool changedNext = true;
    const auto [edited, floor] = bench::medianOrBest(
        askedRuns, Repeats,
        [&] {
            const QString& file = changedNext ? changed : first;
            changedNext = !changedNext;
            return importFile(db, file);
        },
        [&] { return serverUpdate(uri, first, changed); });
    bench::printRateVersusFloor(u"import edits on the server against its own update"_s, rows,
                                edited, floor);
}

bool keepMarginsArgument(int& argc, char** argv) {
    bool keep = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--keep-margins")
            keep = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return keep;
}

// Every price list edits every product (the files take turns); the runs with and without
// keep-margins alternate, and each product sells at twice its cost, so each run with it moves
// every price.
void keepMarginsAgainstPlain(const QString& folder, const QString& first, const QString& changed,
                             int rows, int repeats) {
    CatalogueDatabase db(newCatalogue(folder + u"/margins.mde"_s, true));
    importFile(db, first);
    db.run(u"UPDATE Products SET Price = Cost1 * 2"_s);
    bool changedNext = true;
    const auto next = [&]() -> const QString& {
        changedNext = !changedNext;
        return changedNext ? first : changed;
    };
    const auto [kept, plain] = bench::medianOrBest(
        askedRuns, repeats, [&] { return importFile(db, next(), true); },
        [&] { return importFile(db, next(), false); });
    std::printf("keep margins: %.0f ms against %.0f ms without, ratio %.2f (%d rows)\n", kept,
                plain, plain > 0 ? kept / plain : 0.0, rows);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString server = bench::serverArgument(argc, argv);
    askedRuns = bench::runsArgument(argc, argv);
    const bool keepMargins = keepMarginsArgument(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString first = dir.filePath(u"wp-cd.txt"_s);
    const QString changed = dir.filePath(u"wp-cd-changed.txt"_s);
    writePriceList(first, rows, 1.0);
    writePriceList(changed, rows, 1.1);
    if (keepMargins) {
        keepMarginsAgainstPlain(dir.path(), first, changed, rows, 3);
        return 0;
    }

    constexpr int Repeats = 3;
    // The floor of new items starts from an empty catalogue without the journal, as the
    // measured import does.
    const QString empty = newCatalogue(dir.filePath(u"empty.mde"_s), false);

    // Every item new: each run starts from an empty catalogue, once without the journal and
    // once with it, in turn with the floor and the bare .import.
    int run = 0;
    std::vector<double> journalTimes;
    std::vector<double> bareTimes;
    const auto [added, addedFloor] = bench::medianOrBest(
        askedRuns, Repeats,
        [&] {
            {
                CatalogueDatabase db(
                    newCatalogue(dir.filePath(u"journal-%1.mde"_s.arg(run)), true));
                journalTimes.push_back(importFile(db, first));
            }
            CatalogueDatabase db(newCatalogue(dir.filePath(u"new-%1.mde"_s.arg(run++)), false));
            return importFile(db, first);
        },
        [&] {
            bareTimes.push_back(sqliteImport(dir.path(), first));
            return sqliteFloor(dir.path(), empty, first);
        });
    const double withJournal = summary(journalTimes);
    const double bareImport = summary(bareTimes);
    bench::printRateVersusFloor(u"import new"_s, rows, added, addedFloor);
    bench::printRateVersusFloor(u"import new with journal"_s, rows, withJournal, addedFloor);
    std::printf("journal cost: %.0f ms against %.0f ms without, ratio %.2f\n", withJournal, added,
                added > 0 ? withJournal / added : 0.0);
    std::printf("sqlite3 .import: %lld rows/s\n",
                bareImport > 0 ? qRound64(rows / (bareImport / 1000.0)) : 0LL);

    // Every item edited: the files with the old and the changed prices take turns on one
    // catalogue, so each run changes every price. The floor starts from a copy of the catalogue
    // holding the old prices and applies the changed ones.
    const QString oldPrices = dir.filePath(u"bench.mde"_s);
    CatalogueDatabase db(newCatalogue(oldPrices, false));
    importFile(db, first);
    db.checkpoint();
    const QString floorStart = dir.filePath(u"old-prices.mde"_s);
    QFile::copy(oldPrices, floorStart);
    bool changedNext = true;
    const auto [edited, editedFloor] = bench::medianOrBest(
        askedRuns, Repeats,
        [&] {
            const QString& file = changedNext ? changed : first;
            changedNext = !changedNext;
            return importFile(db, file);
        },
        [&] { return sqliteFloor(dir.path(), floorStart, changed); });
    bench::printRateVersusFloor(u"import edits"_s, rows, edited, editedFloor);

    QTextStream(stdout) << "peak memory: " << qRound(bench::peakMemoryMB()) << " MB\n";
    if (!server.isEmpty()) {
        importOnServer(server, first, rows);
        editOnServer(server, first, changed, rows);
    }
    return 0;
}
