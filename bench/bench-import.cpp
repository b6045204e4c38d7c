// The record import on a 100 000-line supplier price list: once into an empty catalogue (every
// item new), once more with changed prices (every item edited), and the sqlite3 shell's .import
// of the same file for comparison. Prints rows per second for each, their ratio and the peak
// memory.

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

double rowsPerSecond(int rows, double milliseconds) {
    return milliseconds > 0 ? rows / (milliseconds / 1000.0) : 0;
}

double importFile(CatalogueDatabase& db, const QString& path, int rows) {
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
    return rowsPerSecond(rows, ms);
}

double sqliteImport(const QString& folder, const QString& csv, int rows) {
    const QString path = folder + u"/sqlite-import.db"_s;
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
    return rowsPerSecond(rows, watch.milliseconds());
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

    const QString catalogue = dir.filePath(u"bench.mde"_s);
    CatalogueDatabase::create(catalogue);
    CatalogueDatabase db(catalogue);
    // These runs measure the import alone; the journal's share is the line after "import new".
    db.run(u"DROP TABLE RunRows"_s);
    db.run(u"DROP TABLE Runs"_s);
    QTextStream out(stdout);

    const double added = importFile(db, first, rows);
    out << "import new: " << qRound64(added) << " rows/s\n";
    {
        const QString journalled = dir.filePath(u"journal.mde"_s);
        CatalogueDatabase::create(journalled);
        CatalogueDatabase withJournal(journalled);
        const double journal = importFile(withJournal, first, rows);
        out << "import new with journal: " << qRound64(journal) << " rows/s\n";
    }
    const double edited = importFile(db, changed, rows);
    out << "import edits: " << qRound64(edited) << " rows/s\n";
    const double sqlite = sqliteImport(dir.path(), first, rows);
    out << "sqlite3 .import: " << qRound64(sqlite) << " rows/s\n";
    // The edit run's time divided by the time of the sqlite3 shell's .import of the same file.
    out << "ratio edits/sqlite3: " << QString::number(edited > 0 ? sqlite / edited : 0, 'f', 2)
        << "\n";
    out << "peak memory: " << qRound(bench::peakMemoryMB()) << " MB\n";
    return 0;
}
