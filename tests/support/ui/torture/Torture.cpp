#include "support/ui/torture/Torture.h"

#include "core/base/RunTimeError.h"
#include "core/shell/CatalogueInUse.h"
#include "support/ui/torture/ExportComparison.h"
#include "support/ui/torture/TortureCluster.h"
#include "support/ui/torture/TortureJudge.h"
#include "support/ui/torture/TortureMix.h"
#include "support/ui/torture/TortureWindow.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::torture {

namespace {

// A command still running this long after its wave started is a hang.
constexpr int CommandLimitMs = 150000;
// A report lays out every product, which on a catalogue a long run has grown to 100 000
// products takes minutes on a loaded two-core machine: slow, not stuck.
constexpr int ReportLimitMs = 600000;
// The export compared with the catalogue, every this many waves.
constexpr int ExportEvery = 3;

void say(const QString& text) {
    std::fputs(qPrintable(text + u'\n'), stdout);
    std::fflush(stdout);
}

ino_t inodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QStringList& escapedErrors() {
    static QStringList errors;
    return errors;
}

} // namespace

void noteEscapedError(const QString& what) {
    escapedErrors() << what;
    say(u"  an error escaped an event handler: "_s + what);
}

class Torture {
public:
    Torture(FrmMain& main, const QString& folder, const QString& settingsFile,
            const Options& options)
        : m_options(options), m_catalogue(main.catalogue().path),
          m_work(m_dir.path()), m_programOptions{u"--app-folder"_s, folder, u"--settings"_s,
                                                 settingsFile},
          m_log(options.logOut, options.seed), m_mix(options.seed, options.cluster != nullptr),
          m_judge(m_catalogue), m_window(main, folder, m_catalogue, m_work) {
        m_runClock.start();
        // The monkey's watchdog ends the process on a hang, before the stretch's steps would be
        // logged: they are logged first, so that the replay holds the step that hung.
        m_window.onStuck([this](const QList<monkey::LogLine>& lines) {
            for (const monkey::LogLine& line : lines)
                m_log.add(Entry{u"mstep"_s, {{u"line"_s, monkey::toText(line)}}});
        });
        if (!options.cluster)
            return;
        m_log.add(Entry{u"mode"_s, {{u"server"_s, u"1"_s}}});
        QObject::connect(options.cluster, &TortureCluster::restarted, &m_timers, [this](bool ok) {
            m_upAt = m_runClock.elapsed();
            --m_pending;
            ++m_restarts;
            say(u"  the server is up again after %1 ms"_s.arg(m_upAt - m_downAt));
            if (!ok)
                m_serverFailures << m_options.cluster->failure();
        });
    }

    Result run() {
        Result result;
        result.logPath = m_log.path();
        QElapsedTimer clock;
        clock.start();
        QStringList failures = m_judge.afterWave(m_model, m_model, {}, m_snapshots, {}, false);
        while (failures.isEmpty()) {
            if (!m_options.replay && clock.elapsed() >= qint64(m_options.seconds) * 1000)
                break;
            std::optional<Wave> wave = nextWave();
            if (!wave)
                break;
            try {
                failures = runWave(*wave);
                if (failures.isEmpty() && (wave->number % ExportEvery == 0))
                    if (const QString difference = exportDifference(
                            m_catalogue, m_work + u"/compare.csv"_s, m_programOptions);
                        !difference.isEmpty())
                        failures << difference;
            } catch (const RunTimeError& error) {
                // The judge's own reading of the catalogue was refused.
                failures << u"reading the catalogue failed: "_s + error.description();
            }
            ++result.waves;
            result.commands += int(wave->commands.size());
            if (!failures.isEmpty())
                failures.last() += u" (after wave %1)"_s.arg(wave->number);
        }
        result.kills = m_kills;
        result.terminations = m_terminations;
        result.restarts = m_restarts;
        sayModel();
        result.passed = failures.isEmpty();
        if (result.passed) {
            m_log.discard();
            return result;
        }
        result.failure = failures.join(u"; "_s) +
                         u" (seed %1, replay file %2)"_s.arg(m_options.seed).arg(m_log.path());
        return result;
    }

private:
    // How much of the catalogue the run could still judge exactly at its end.
    void sayModel() const {
        QMap<QString, int> reasons;
        int runs = 0;
        for (const Family& family : m_model.families) {
            runs += int(family.stack.size());
            if (family.loose)
                ++reasons[family.looseWhy.section(u' ', 0, 3)];
        }
        QStringList why;
        for (auto it = reasons.cbegin(); it != reasons.cend(); ++it)
            why << u"%1x %2"_s.arg(it.value()).arg(it.key());
        say(u"TORTURE_MODEL=%1 families, %2 runs standing, loose: %3"_s.arg(m_model.families.size())
                .arg(runs)
                .arg(why.isEmpty() ? u"none"_s : why.join(u"; "_s)));
    }

    std::optional<Wave> nextWave() {
        if (!m_options.replay)
            return m_mix.next(m_model, copies());
        const QList<Entry>& entries = m_options.replay->entries;
        while (m_replayAt < entries.size() && entries.at(m_replayAt).kind != u"wave"_s)
            ++m_replayAt;
        if (m_replayAt >= entries.size())
            return std::nullopt;
        Wave wave = Wave::fromEntry(entries.at(m_replayAt++));
        m_monkeyLines.clear();
        for (; m_replayAt < entries.size() && entries.at(m_replayAt).kind != u"wave"_s;
             ++m_replayAt) {
            const Entry& entry = entries.at(m_replayAt);
            if (const std::optional<Command> command = Command::fromEntry(entry))
                wave.commands << *command;
            else if (entry.kind == u"mstep"_s)
                if (const auto line = monkey::fromText(entry.value(u"line"_s)))
                    m_monkeyLines << *line;
        }
        return wave;
    }

    QList<int> copies() const {
        QList<int> usable;
        for (auto it = m_snapshots.cbegin(); it != m_snapshots.cend(); ++it)
            if (QFileInfo::exists(it->copy))
                usable << it.key();
        return usable;
    }

    QStringList runWave(const Wave& wave) {
        m_log.add(wave.toEntry());
        std::vector<std::unique_ptr<Launched>> launched;
        QList<Launched*> all;
        for (const Command& command : wave.commands) {
            m_log.add(command.toEntry());
            launched.push_back(std::make_unique<Launched>());
            launched.back()->command = command;
            all << launched.back().get();
        }
        say(u"wave %1: %2"_s.arg(wave.number).arg(describeWave(wave)));
        const Model atStart = m_model;
        const ino_t inode = inodeOf(m_catalogue);
        m_window.takeWrittenRows();
        for (Launched* one : all)
            start(*one);
        scheduleServerEvents(wave);
        QStringList failures = windowActions(wave);
        failures << waitForAll(all);
        failures << std::exchange(m_serverFailures, {});
        for (const QString& escaped : std::exchange(escapedErrors(), {}))
            failures << u"the window let an error escape from an event handler (the program "_s
                        u"would end there): "_s +
                            escaped;
        markCuts(all);
        // A restore writes the copy into the file or puts it in the file's place.
        const bool replaced = inodeOf(m_catalogue) != inode;
        say(u"  ended: "_s + describeEnds(all));
        // What a failed command said in full, to tell a plain message from a server's raw one.
        for (const Launched* one : all)
            if (one->ended && !one->killed && one->status != 0)
                say(u"  %1 said: %2"_s.arg(one->command.describe(),
                                           one->err.trimmed().replace(u'\n', u" | "_s).left(600)));
        for (const Launched* one : all) {
            Entry ended{u"ended"_s, {}};
            ended.set(u"id"_s, one->command.id)
                .set(u"status"_s, one->crashed ? u"crash"_s : QString::number(one->status))
                .set(u"killed"_s, qint64(one->killed))
                .set(u"skipped"_s, qint64(one->skipped));
            m_log.add(ended);
        }
        failures << m_judge.afterWave(m_model, atStart, all, m_snapshots,
                                      m_window.takeWrittenRows(), replaced || m_windowRestored);
        failures << m_window.deletedDescriptors();
        if (failures.isEmpty())
            failures << m_window.noteSeenByAnotherProcess(
                u"window-note-%1-%2"_s.arg(m_options.seed).arg(wave.number));
        // After the server came back, or the window's backend was ended, the window still
        // hears the other programs' writes.
        if (failures.isEmpty() && (m_upAt >= 0 || m_ended.contains(u"torture-window"_s)))
            failures << m_window.hearsAnotherProcess();
        return failures;
    }

    static QString describeWave(const Wave& wave) {
        QStringList parts;
        for (const Command& command : wave.commands)
            parts << command.describe();
        if (wave.closeScreens)
            parts << u"screens closed"_s;
        if (wave.openProducts)
            parts << u"Products opened"_s;
        if (wave.windowBackup)
            parts << u"the window backs up"_s;
        if (wave.monkeySteps > 0)
            parts << u"%1 monkey steps"_s.arg(wave.monkeySteps);
        if (wave.terminateMs >= 0)
            parts << u"a backend ended after %1 ms"_s.arg(wave.terminateMs);
        if (wave.restartMs >= 0)
            parts << u"the server restarted after %1 ms, down %2 ms"_s.arg(wave.restartMs)
                         .arg(wave.restartPauseMs);
        return parts.join(u"; "_s);
    }

    // "import 3: 0, restore 4: 2 (the reason), undo 5: killed"
    static QString describeEnds(const QList<Launched*>& all) {
        QStringList parts;
        for (const Launched* one : all) {
            QString part =
                kindName(one->command.kind) + u' ' + QString::number(one->command.id) + u": "_s;
            if (one->skipped)
                part += u"skipped"_s;
            else if (one->killed && one->crashed)
                part += u"killed"_s;
            else if (one->crashed)
                part += u"crashed"_s;
            else
                part += QString::number(one->status);
            if (!one->skipped && one->status != 0 && !one->killed)
                part += u" ("_s + one->err.trimmed().section(u'\n', 0, 0).left(160) + u')';
            if (!one->cut.isEmpty())
                part += u" ["_s + one->cut + u']';
            parts << part;
        }
        return parts.join(u", "_s);
    }

    QStringList windowActions(const Wave& wave) {
        m_windowRestored = false;
        if (wave.closeScreens)
            m_window.closeScreens();
        if (wave.openProducts)
            m_window.openProducts();
        if (wave.windowBackup)
            say(u"  "_s + m_window.backUp());
        if (wave.monkeySteps <= 0)
            return {};
        std::optional<monkey::Replay> replay;
        if (m_options.replay)
            replay = monkey::Replay{wave.monkeySeed, m_monkeyLines};
        QList<monkey::LogLine> lines;
        const monkey::RunResult result =
            m_window.monkeySteps(wave.monkeySeed, wave.monkeySteps, replay, lines);
        for (const monkey::LogLine& line : std::as_const(lines))
            m_log.add(Entry{u"mstep"_s, {{u"line"_s, monkey::toText(line)}}});
        m_windowRestored = result.catalogueRestored;
        if (!result.passed)
            return {u"the window: "_s + result.failure};
        return {};
    }

    QStringList arguments(Launched& one) {
        const Command& command = one.command;
        const QString id = QString::number(command.id);
        // A catalogue on a server is copied into a file, as its keeper would back it up.
        if (m_options.cluster && command.kind == CommandKind::Backup) {
            one.file = m_work + u"/bk"_s + id + u".mde"_s;
            return {u"share"_s, u"--from"_s, m_catalogue, u"--to"_s, one.file};
        }
        QStringList list{kindName(command.kind)};
        if (command.kind == CommandKind::Report)
            list << command.report;
        list << u"--db"_s << m_catalogue;
        switch (command.kind) {
        case CommandKind::Import:
            one.file = m_work + u"/f%1-c%2.csv"_s.arg(command.family).arg(id);
            writeSupplierFile(one.file, command.family, command.count, command.version);
            list << u"--source"_s << one.file << u"--divider"_s << u"comma"_s << u"--map"_s
                 << u"0=2,1=3,2=12,3=5"_s << u"--note"_s << u"torture-"_s + id;
            if (command.editOnly)
                list << u"--edit-only"_s;
            break;
        case CommandKind::BulkEdit:
            list << u"--where"_s << bulkEditCondition(one) << u"--set"_s << u"ProdName=bulk-"_s + id
                 << u"--set"_s << u"Retail=12.34"_s;
            break;
        case CommandKind::Undo:
            if (const auto place = m_model.transitionOf(command.target))
                one.targetRun = m_model.families.value(place->first).stack.at(place->second).run;
            if (one.targetRun == 0)
                return {};
            list << u"--run"_s << QString::number(one.targetRun);
            break;
        case CommandKind::Export:
            one.file = m_work + u"/e"_s + id + u".csv"_s;
            list << u"--out"_s << one.file << u"--columns"_s << u"2,3,12"_s;
            break;
        case CommandKind::Report:
            one.file = m_work + u"/r"_s + id + u".pdf"_s;
            list << u"--pdf"_s << one.file;
            break;
        case CommandKind::Pages:
            list << u"--from"_s << u"1"_s << u"--to"_s << u"3"_s << u"--out"_s
                 << m_work + u"/p"_s + id;
            break;
        case CommandKind::Backup:
            list << u"--to"_s << m_work + u"/bk"_s + id;
            break;
        case CommandKind::Restore:
            one.file = m_snapshots.value(command.target).copy;
            if (one.file.isEmpty() || !QFileInfo::exists(one.file))
                return {};
            list << u"--from"_s << one.file;
            break;
        case CommandKind::History:
            break;
        }
        return list;
    }

    void start(Launched& one) {
        one.arguments = arguments(one);
        if (one.arguments.isEmpty()) {
            one.skipped = true;
            return;
        }
        one.process = std::make_unique<QProcess>();
        one.process->setWorkingDirectory(m_work);
        if (m_options.cluster) {
            // The server shows each backend's program by this name: an ended backend tells
            // whose connection it was.
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"PGAPPNAME"_s, appName(one.command.id));
            one.process->setProcessEnvironment(environment);
        }
        QObject::connect(one.process.get(), &QProcess::finished, &m_timers,
                         [this, &one] { one.endedAt = m_runClock.elapsed(); });
        one.startedAt = m_runClock.elapsed();
        one.process->start(programPath(), m_programOptions + one.arguments);
        one.clock.start();
        if (one.command.killMs < 0)
            return;
        QProcess* process = one.process.get();
        QTimer::singleShot(one.command.killMs, process, [this, process, &one] {
            if (process->state() == QProcess::Running) {
                ::kill(pid_t(process->processId()), SIGKILL);
                one.killed = true;
                ++m_kills;
            }
        });
    }

    QStringList waitForAll(const QList<Launched*>& all) {
        QStringList failures;
        QElapsedTimer waited;
        waited.start();
        // The wave's backend ending and restart belong to it, even when they come after its
        // commands ended.
        const auto running = [this, &all] {
            return m_pending > 0 || std::any_of(all.cbegin(), all.cend(), [](const Launched* one) {
                       return one->process && one->process->state() != QProcess::NotRunning;
                   });
        };
        const bool reporting = std::any_of(all.cbegin(), all.cend(), [](const Launched* one) {
            return one->command.kind == CommandKind::Report;
        });
        const int limitMs = reporting ? ReportLimitMs : CommandLimitMs;
        while (running() && waited.elapsed() < limitMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        if (m_pending > 0)
            failures << u"the server's events of the wave did not end within %1 s"_s.arg(limitMs /
                                                                                         1000);
        for (Launched* one : all) {
            if (!one->process)
                continue;
            if (one->process->state() != QProcess::NotRunning) {
                failures << u"%1 did not end within %2 s"_s.arg(one->command.describe())
                                .arg(limitMs / 1000);
                one->process->kill();
                one->process->waitForFinished(10000);
                one->killed = true;
            }
            one->ended = true;
            if (one->endedAt < 0)
                one->endedAt = m_runClock.elapsed();
            one->crashed = one->process->exitStatus() == QProcess::CrashExit ||
                           one->process->error() == QProcess::FailedToStart;
            one->status = one->crashed ? -1 : one->process->exitCode();
            one->out = QString::fromUtf8(one->process->readAllStandardOutput());
            one->err = QString::fromUtf8(one->process->readAllStandardError());
        }
        return failures;
    }

    static QString appName(int command) { return u"torture-%1"_s.arg(command); }

    // The wave's backend ending and server restart, at their moments after its start.
    void scheduleServerEvents(const Wave& wave) {
        m_ended.clear();
        m_downAt = -1;
        m_upAt = -1;
        if (!m_options.cluster)
            return;
        if (wave.terminateMs >= 0) {
            ++m_pending;
            QTimer::singleShot(wave.terminateMs, &m_timers, [this, pick = wave.terminatePick] {
                --m_pending;
                // While the server is down there is no backend to end.
                if (m_options.cluster->isRestarting())
                    return;
                QString problem;
                const QString name = m_options.cluster->terminateBackend(pick, &problem);
                if (!problem.isEmpty()) {
                    m_serverFailures << u"ending a backend failed: "_s + problem;
                } else if (!name.isEmpty()) {
                    m_ended << name;
                    ++m_terminations;
                    say(u"  ended the backend of "_s + name);
                }
                m_log.add(Entry{u"terminated"_s, {{u"app"_s, name}}});
            });
        }
        if (wave.restartMs >= 0) {
            ++m_pending;
            QTimer::singleShot(wave.restartMs, &m_timers, [this, pause = wave.restartPauseMs] {
                m_downAt = m_runClock.elapsed();
                say(u"  stopping the server"_s);
                m_options.cluster->restart(pause);
            });
        }
    }

    // Which commands had their connection cut: their backend ended, or the server stopped
    // while they ran (or started before it was up again).
    void markCuts(const QList<Launched*>& all) {
        for (Launched* one : all) {
            if (!one->process)
                continue;
            if (m_ended.contains(appName(one->command.id)))
                one->cut = u"its backend was ended"_s;
            else if (m_downAt >= 0 && one->startedAt <= m_upAt && one->endedAt >= m_downAt)
                one->cut = u"the server restarted"_s;
        }
    }

    const Options& m_options;
    QString m_catalogue;
    QTemporaryDir m_dir;
    QString m_work;
    QStringList m_programOptions;
    LogWriter m_log;
    Mix m_mix;
    Model m_model;
    QMap<int, Snapshot> m_snapshots;
    Judge m_judge;
    Window m_window;
    qsizetype m_replayAt = 0;
    QList<monkey::LogLine> m_monkeyLines;
    bool m_windowRestored = false; // during this wave's monkey steps
    // The server's events: timers of the wave, pending until done; the application names of
    // the backends ended in the wave; when the server went down and came up (run clock).
    QObject m_timers;
    QElapsedTimer m_runClock;
    int m_pending = 0;
    QStringList m_ended;
    qint64 m_downAt = -1;
    qint64 m_upAt = -1;
    QStringList m_serverFailures;
    int m_kills = 0;
    int m_terminations = 0;
    int m_restarts = 0;
};

Result run(FrmMain& main, const QString& folder, const QString& settingsFile,
           const Options& options) {
    Torture torture(main, folder, settingsFile, options);
    return torture.run();
}

} // namespace tovin::test::torture
