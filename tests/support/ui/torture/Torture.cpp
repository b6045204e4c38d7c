#include "support/ui/torture/Torture.h"

#include "core/shell/SharedState.h"
#include "support/ui/torture/ExportComparison.h"
#include "support/ui/torture/TortureJudge.h"
#include "support/ui/torture/TortureMix.h"
#include "support/ui/torture/TortureWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
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

} // namespace

class Torture {
public:
    Torture(FrmMain& main, const QString& folder, const QString& settingsFile,
            const Options& options)
        : m_options(options), m_catalogue(shared().DBPath),
          m_work(m_dir.path()), m_programOptions{u"--app-folder"_s, folder, u"--settings"_s,
                                                 settingsFile},
          m_log(options.logOut, options.seed), m_mix(options.seed), m_judge(m_catalogue),
          m_window(main, folder, m_catalogue, m_work) {}

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
            failures = runWave(*wave);
            ++result.waves;
            result.commands += int(wave->commands.size());
            if (failures.isEmpty() && (wave->number % ExportEvery == 0))
                if (const QString difference =
                        exportDifference(m_catalogue, m_work + u"/compare.csv"_s, m_programOptions);
                    !difference.isEmpty())
                    failures << difference;
            if (!failures.isEmpty())
                failures.last() += u" (after wave %1)"_s.arg(wave->number);
        }
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
        QStringList failures = windowActions(wave);
        failures << waitForAll(all);
        // A restore writes the copy into the file or puts it in the file's place.
        const bool replaced = inodeOf(m_catalogue) != inode;
        say(u"  ended: "_s + describeEnds(all));
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
        one.process->start(programPath(), m_programOptions + one.arguments);
        one.clock.start();
        if (one.command.killMs < 0)
            return;
        QProcess* process = one.process.get();
        QTimer::singleShot(one.command.killMs, process, [process, &one] {
            if (process->state() == QProcess::Running) {
                ::kill(pid_t(process->processId()), SIGKILL);
                one.killed = true;
            }
        });
    }

    QStringList waitForAll(const QList<Launched*>& all) {
        QStringList failures;
        QElapsedTimer waited;
        waited.start();
        const auto running = [&all] {
            return std::any_of(all.cbegin(), all.cend(), [](const Launched* one) {
                return one->process && one->process->state() != QProcess::NotRunning;
            });
        };
        while (running() && waited.elapsed() < CommandLimitMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        for (Launched* one : all) {
            if (!one->process)
                continue;
            if (one->process->state() != QProcess::NotRunning) {
                failures << u"%1 did not end within %2 s"_s.arg(one->command.describe())
                                .arg(CommandLimitMs / 1000);
                one->process->kill();
                one->process->waitForFinished(10000);
                one->killed = true;
            }
            one->ended = true;
            one->crashed = one->process->exitStatus() == QProcess::CrashExit ||
                           one->process->error() == QProcess::FailedToStart;
            one->status = one->crashed ? -1 : one->process->exitCode();
            one->out = QString::fromUtf8(one->process->readAllStandardOutput());
            one->err = QString::fromUtf8(one->process->readAllStandardError());
        }
        return failures;
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
};

Result run(FrmMain& main, const QString& folder, const QString& settingsFile,
           const Options& options) {
    Torture torture(main, folder, settingsFile, options);
    return torture.run();
}

} // namespace tovin::test::torture
