#pragma once

// Shared pieces of the benchmarks: a generated catalogue of any size, a stopwatch and the
// peak memory of the process.

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/RowWriter.h"
#include "core/storage/SqliteConnection.h"
#include "core/storage/SqliteStatement.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace tovin::bench {

// Fills a new catalogue file with `count` generated products spread over suppliers,
// categories and pages, a tenth of them with "lamp" in the name.
inline void generateCatalogue(const QString& path, int count) {
    using namespace Qt::Literals::StringLiterals;
    namespace PC = CatalogueSchema::ProductsColumn;
    CatalogueDatabase::create(path);
    CatalogueDatabase db(path);
    QRandomGenerator random(20261206);
    const QStringList words{u"Brass"_s,  u"Oak"_s,    u"Garden"_s, u"Kitchen"_s, u"Table"_s,
                            u"Candle"_s, u"Mirror"_s, u"Basket"_s, u"Clock"_s,   u"Vase"_s};
    ScopedTransaction transaction(db);
    for (int i = 0; i < count; ++i) {
        const QString name = words.at(random.bounded(10)) + u' ' +
                             (i % 10 == 0 ? u"Lamp"_s : words.at(random.bounded(10))) + u' ' +
                             QString::number(i);
        RowWriter::insert(
            db, u"Products"_s,
            {{PC::PID, i + 1},
             {PC::Supplier, u"Supplier %1"_s.arg(i % 7)},
             {PC::StockNo, u"SN-%1"_s.arg(random.bounded(100000000), 8, 10, QChar(u'0'))},
             {PC::ProdName, name},
             {PC::ProdDesc, u"A fine "_s + name.toLower() + u" for every home."_s},
             {PC::PageNo, QString::number(1 + i / 40)},
             {PC::Cost1, random.bounded(100000) / 100.0},
             {PC::Retail, random.bounded(200000) / 100.0},
             {PC::Catagory, 1 + random.bounded(20)},
             {PC::Inventory, random.bounded(50)},
             {PC::Picture, u"pictures/"_s + QString::number(i) + u".jpg"_s},
             {PC::Taxable, i % 3 == 0}});
    }
    transaction.commit();
    db.checkpoint();
    // As after an import or a copy of this size: on a server the tables are settled.
    db.settleAfterManyWrites({u"Products"_s});
}

// The number given with --runs N, taken out of the arguments; 0 when none is given.
inline int runsArgument(int& argc, char** argv) {
    int runs = 0;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(1, QByteArray(argv[++i]).toInt());
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return runs;
}

class Stopwatch {
public:
    Stopwatch() { m_timer.start(); }
    double milliseconds() const { return m_timer.nsecsElapsed() / 1e6; }
    void restart() { m_timer.restart(); }

private:
    QElapsedTimer m_timer;
};

// The largest resident size the process reached, in megabytes.
// The catalogue a benchmark runs on, at `path`: a copy of the one named by the second argument
// (made earlier, which spares generating it while profiling), else `rows` generated products.
inline void catalogueForRun(int argc, char** argv, const QString& path, int rows) {
    if (argc > 2)
        QFile::copy(QString::fromLocal8Bit(argv[2]), path);
    else
        generateCatalogue(path, rows);
}

// The same for work counted in rows per second (the ratio stays the one of the times):
//   OPERATION: N rows/s, floor F rows/s, ratio R
inline void printRateVersusFloor(const QString& operation, qint64 rows, double ms, double floorMs) {
    const auto rate = [rows](double t) { return t > 0 ? qRound64(rows / (t / 1000.0)) : 0; };
    std::printf("%s: %lld rows/s, floor %lld rows/s, ratio %.2f\n", qPrintable(operation),
                static_cast<long long>(rate(ms)), static_cast<long long>(rate(floorMs)),
                floorMs > 0 ? ms / floorMs : 0.0);
    std::fflush(stdout);
}

// Runs `work` and `floor` one after the other `repeats` times, so that both see the same load
// of the machine, and keeps the best time of each.
template <typename Work, typename Floor>
std::pair<double, double> bestOfInterleaved(int repeats, Work&& work, Floor&& floor) {
    double best = std::numeric_limits<double>::max();
    double bestFloor = std::numeric_limits<double>::max();
    for (int i = 0; i < repeats; ++i) {
        best = std::min(best, work());
        bestFloor = std::min(bestFloor, floor());
    }
    return {best, bestFloor};
}

inline double peakMemoryMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The same, for operations that do not time themselves: each call is timed whole.
template <typename Operation, typename Floor>
std::pair<double, double> bestInterleaved(int repeats, Operation operation, Floor floor) {
    const auto timed = [](auto& work) {
        Stopwatch watch;
        work();
        return watch.milliseconds();
    };
    return bestOfInterleaved(
        repeats, [&] { return timed(operation); }, [&] { return timed(floor); });
}

// The catalogue file's own SQLite handle, for the floors measured on plain SQLite.
inline sqlite3* fileHandle(const CatalogueDatabase& db) {
    return dynamic_cast<SqliteConnection&>(db.connection()).handle();
}

// Plain SQLite's share of a floor: prepares `sql`, binds `values` and steps through every row,
// keeping the first column of each (as a row list keeps its keys). Returns the rows.
inline std::vector<qint64> selectRowIds(CatalogueDatabase& db, const QString& sql,
                                        const QVariantList& values = {}) {
    SqliteStatement statement(fileHandle(db), sql);
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values.at(i));
    std::vector<qint64> rows;
    while (statement.next())
        rows.push_back(statement.integer(0));
    return rows;
}

// One timed operation next to its floor, the same work done by plain SQLite in the same run,
// as "OPERATION: T ms, floor F ms, ratio R". The ratio is what stays comparable between runs
// on a loaded machine, where absolute times vary by a factor of three.
inline void printVersusFloor(const char* operation, double ms, double floorMs) {
    std::printf("%s: %.2f ms, floor %.2f ms, ratio %.2f\n", operation, ms, floorMs,
                floorMs > 0 ? ms / floorMs : 0.0);
    std::fflush(stdout);
}
inline void printVersusFloor(const QString& operation, double ms, double floorMs) {
    printVersusFloor(operation.toUtf8().constData(), ms, floorMs);
}

} // namespace tovin::bench
