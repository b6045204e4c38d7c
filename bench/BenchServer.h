#pragma once

// A benchmark's own database on a PostgreSQL server, made beside the one named on the command
// line (--db URI) and dropped at the end, and psql runs on it for the floors.

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QUrl>
#include <QUrlQuery>

namespace tovin::bench {

// The URI given with --db, or "" when the benchmark runs on files only.
inline QString serverArgument(int& argc, char** argv) {
    QString uri;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--db" && i + 1 < argc)
            uri = QString::fromLocal8Bit(argv[++i]);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return uri;
}

// Runs `script` through psql on the database at `uri`; the time of the whole run in ms, or a
// negative number when psql failed (its message on stderr).
inline double runPsql(const QString& uri, const QByteArray& script) {
    QProcess psql;
    Stopwatch watch;
    psql.start(QStringLiteral("psql"),
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                QStringLiteral("ON_ERROR_STOP=1"), uri});
    if (!psql.waitForStarted())
        return -1;
    psql.write(script);
    psql.closeWriteChannel();
    psql.waitForFinished(1800000);
    const double ms = watch.milliseconds();
    if (psql.exitCode() != 0) {
        QTextStream(stderr) << "psql failed: " << psql.readAllStandardError();
        return -1;
    }
    return ms;
}

// A new, empty database on the server of `uri`, dropped when this goes.
class ScratchDatabase {
public:
    ScratchDatabase(const QString& uri, const QString& name) : m_admin(uri), m_name(name) {
        runPsql(m_admin, "DROP DATABASE IF EXISTS " + name.toUtf8() + " WITH (FORCE);\n");
        if (runPsql(m_admin, "CREATE DATABASE " + name.toUtf8() + ";\n") < 0)
            qFatal("cannot make the benchmark's database on the server");
        QUrl url(uri);
        url.setPath(QLatin1Char('/') + name);
        QUrlQuery query(url);
        query.removeAllQueryItems(QStringLiteral("dbname"));
        url.setQuery(query);
        m_uri = url.toString();
    }
    ~ScratchDatabase() {
        runPsql(m_admin, "DROP DATABASE IF EXISTS " + m_name.toUtf8() + " WITH (FORCE);\n");
    }
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;
    const QString& uri() const { return m_uri; }

private:
    QString m_admin;
    QString m_name;
    QString m_uri;
};

} // namespace tovin::bench

namespace tovin::bench {

// A script that runs `work` in one transaction of the program's kind, as the program's own
// statements run on the server (its triggers know them by this setting).
inline QByteArray programTransaction(const QByteArray& work) {
    return "BEGIN;\nSET LOCAL tovin.transaction = 'on';\n" + work + "COMMIT;\n";
}

// Runs `work` and `floor` one after the other `repeats` times and keeps the median time of
// each, which a single slow run of either on a shared machine does not move.
template <typename Work, typename Floor>
std::pair<double, double> medianOfInterleaved(int repeats, Work&& work, Floor&& floor) {
    std::vector<double> times;
    std::vector<double> floors;
    for (int i = 0; i < repeats; ++i) {
        times.push_back(work());
        floors.push_back(floor());
    }
    const auto median = [](std::vector<double>& all) {
        std::sort(all.begin(), all.end());
        return all.empty() ? 0.0 : all[all.size() / 2];
    };
    return {median(times), median(floors)};
}

} // namespace tovin::bench

namespace tovin::bench {

// Given a number of runs (--runs N), the median of that many runs of each; else the best of
// `repeats`.
template <typename Work, typename Floor>
std::pair<double, double> medianOrBest(int runs, int repeats, Work&& work, Floor&& floor) {
    if (runs > 0)
        return medianOfInterleaved(runs, std::forward<Work>(work), std::forward<Floor>(floor));
    return bestOfInterleaved(repeats, std::forward<Work>(work), std::forward<Floor>(floor));
}

// The same for operations that do not time themselves: each call is timed whole.
template <typename Operation, typename Floor>
std::pair<double, double> timedMedianOrBest(int runs, int repeats, Operation operation,
                                            Floor floor) {
    const auto timed = [](auto& work) {
        Stopwatch watch;
        work();
        return watch.milliseconds();
    };
    return medianOrBest(
        runs, repeats, [&] { return timed(operation); }, [&] { return timed(floor); });
}

} // namespace tovin::bench
