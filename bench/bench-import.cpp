// The record import on a 100 000-line supplier price list: into an empty catalogue (every item
// new) and again with changed prices (every item edited), each against its floor, the sqlite3
// shell's .import of the same file, measured in turn with it. Prints rows per second for each,
// the floor's, their ratio and the peak memory. These two lines measure the import alone, on
// catalogues without the run journal; "import new with journal" is the same new import as the
// program runs it, keeping the journal, and "journal cost" its time against the import alone.
//
//   bench-import [LINES]

#include "BenchSupport.h"
#include "core/import/FixedMappings.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

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

double importFile(CatalogueDatabase& db, const QString& path) {
    const FixedMappings::SupplierFile white = FixedMappings::priceList(0);
    ImportOptions options;
    options.note = u"bench"_s;
    options.onError = [](const RunTimeError&) {};
    bench::Stopwatch watch;
    const ImportOutcome outcome = ProductImporter::importText(
        db, TextFile::load(path), 0, white.divider, white.map, options, {});
    const double ms = watch.milliseconds();
    if (outcome.errors)
        QTextStream(stderr) << outcome.errors << " errors\n";
    return ms;
}

// The floor of both import lines: the sqlite3 shell's .import of the same file into a new
// table of text columns, which reads, splits and stores every line but checks nothing.
double sqliteImport(const QString& folder, const QString& csv) {
    const QString path = folder + u"/sqlite-import.db"_s;
    QFile::remove(path);
    QProcess shell;
    shell.start(u"sqlite3"_s, {path});
    if (!shell.waitForStarted())
        return 0;
    shell.write("CREATE TABLE t (stock TEXT, page TEXT, name TEXT, packaging TEXT, price TEXT);\n");
    shell.write(".mode csv\n");
    bench::Stopwatch watch;
    shell.write(".import '" + csv.toUtf8() + "' t\n");
    shell.write("SELECT 'done';\n.quit\n");
    shell.closeWriteChannel();
    shell.waitForFinished(600000);
    return watch.milliseconds();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString first = dir.filePath(u"wp-cd.txt"_s);
    const QString changed = dir.filePath(u"wp-cd-changed.txt"_s);
    writePriceList(first, rows, 1.0);
    writePriceList(changed, rows, 1.1);

    constexpr int Repeats = 3;

    // Every item new: each run starts from an empty catalogue, once without the journal and
    // once with it, in turn with the floor.
    int run = 0;
    double withJournal = std::numeric_limits<double>::max();
    const auto [added, addedFloor] = bench::bestOfInterleaved(
        Repeats,
        [&] {
            {
                CatalogueDatabase db(
                    newCatalogue(dir.filePath(u"journal-%1.mde"_s.arg(run)), true));
                withJournal = std::min(withJournal, importFile(db, first));
            }
            CatalogueDatabase db(newCatalogue(dir.filePath(u"new-%1.mde"_s.arg(run++)), false));
            return importFile(db, first);
        },
        [&] { return sqliteImport(dir.path(), first); });
    bench::printRateVersusFloor(u"import new"_s, rows, added, addedFloor);
    bench::printRateVersusFloor(u"import new with journal"_s, rows, withJournal, addedFloor);
    std::printf("journal cost: %.0f ms against %.0f ms without, ratio %.2f\n", withJournal, added,
                added > 0 ? withJournal / added : 0.0);

    // Every item edited: the files with the old and the changed prices take turns on one
    // catalogue, so each run changes every price.
    CatalogueDatabase db(newCatalogue(dir.filePath(u"bench.mde"_s), false));
    importFile(db, first);
    bool changedNext = true;
    const auto [edited, editedFloor] = bench::bestOfInterleaved(
        Repeats,
        [&] {
            const QString& file = changedNext ? changed : first;
            changedNext = !changedNext;
            return importFile(db, file);
        },
        [&] { return sqliteImport(dir.path(), changed); });
    bench::printRateVersusFloor(u"import edits"_s, rows, edited, editedFloor);

    QTextStream(stdout) << "peak memory: " << qRound(bench::peakMemoryMB()) << " MB\n";
    return 0;
}
