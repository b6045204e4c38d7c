#include "support/ui/monkey/Monkey.h"

#include "core/base/EventWait.h"
#include "core/shell/ErrorReporting.h"
#include "support/core/ProgramFaults.h"
#include "support/ui/monkey/MonkeyAnswers.h"
#include "support/ui/monkey/MonkeyChecks.h"
#include "support/ui/monkey/MonkeyInput.h"
#include "support/ui/monkey/MonkeyTargets.h"
#include "support/ui/monkey/MonkeyWatchdog.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QMap>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::monkey {

namespace {

// A dialog still open after this many steps is closed; one that will not close is hidden.
constexpr int StepsBeforeReject = 12;
constexpr int StepsBeforeHide = 16;
// After each step the program's own short timers (the 50 ms polls of screens that wait for
// another) run out before the next input, so a replay meets the same state.
constexpr int SettleMs = 60;
// How long a replay waits for the control of its next step to be there.
constexpr int ReplayWaitMs = 3000;

const QString ModalPath = u"modal"_s;
const QString PopupPath = u"popup"_s;

// Faults the program contained during a step; the handler can hold no state of its own.
QStringList& programFaults() {
    static QStringList faults;
    return faults;
}

// "menu", "bar", the child window a control is in ("window:Products"), or "main".
QString groupOf(const QString& path) {
    const qsizetype colon = path.indexOf(u':');
    if (colon > 0 && !path.left(colon).contains(u'/'))
        return path.left(colon);
    for (const QString& part : path.split(u'/'))
        if (part.startsWith(u"window:"_s))
            return part.section(u'#', 0, 0);
    return u"main"_s;
}

void say(const QString& text) {
    std::fputs(qPrintable(text + u'\n'), stdout);
    std::fflush(stdout);
}

// Print and file dialogs are closed unanswered: nothing is printed, and no file is chosen
// outside the run's folder.
bool closeUnanswered(const QWidget* modal) {
    return qobject_cast<const QPrintPreviewDialog*>(modal) ||
           qobject_cast<const QPrintDialog*>(modal) || qobject_cast<const QFileDialog*>(modal);
}

void rejectOrClose(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

// Runs what the step left to do without ever waiting idle (which would start the next step),
// and tells whether the event loop still answers.
bool settle() {
    bool answered = false;
    QTimer::singleShot(0, qApp, [&answered] { answered = true; });
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < SettleMs || (!answered && waited.elapsed() < 5000)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(2);
    }
    return answered;
}

// Steps are given whenever the program waits idle for input, at whatever depth of event loops
// it is: inside a dialog's loop, or while a screen waits for another to close. So a step may
// run while an earlier one has not returned, as the user's next click does.
class Driver : public QObject {
public:
    Driver(FrmMain& main, const QString& folder, const RunOptions& options)
        : m_main(&main), m_options(options), m_writer(options.replayOut, options.seed),
          m_report(u"seed %1, replay file %2"_s.arg(options.seed).arg(m_writer.path())),
          m_watchdog(options.hangSeconds, m_report), m_answers(options.seed, folder, m_writer),
          m_prompts(m_answers, main.prompts()), m_checks(main.catalogue(), options.order),
          m_random(options.seed) {
        m_answers.setLeaveBackupsAlone(options.leaveBackupsAlone);
    }

    RunResult run() {
        programFaults().clear();
        setProgrammingErrorHandler([](const QString& label, const QString& what) {
            programFaults() << u"program fault in "_s + label + u": "_s + what;
        });
        m_main->setExitHandler([this] { m_exited = true; });
        m_clock.start();
        // The start itself must hold.
        const QStringList failures =
            m_options.catalogueChecks ? m_checks.afterStep() : QStringList();
        if (!failures.isEmpty()) {
            finish(failures);
        } else {
            connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                    this, [this] { idle(); });
        }
        m_loop.exec();
        failOnProgramFaults();
        RunResult result;
        result.steps = m_steps;
        result.catalogueRestored = m_restored;
        result.passed = m_failures.isEmpty();
        if (result.passed) {
            if (!m_options.keepReplay)
                m_writer.discard();
            return result;
        }
        result.replayPath = m_writer.path();
        result.failure =
            m_failures.join(u"; "_s) + u" (after step %1; "_s.arg(m_steps - 1) + m_report + u')';
        return result;
    }

private:
    void idle() {
        if (m_done || m_scheduled)
            return;
        m_scheduled = true;
        QMetaObject::invokeMethod(
            this, [this] { step(); }, Qt::QueuedConnection);
    }

    bool outOfSteps() const {
        if (m_options.seconds > 0 && m_clock.elapsed() > qint64(m_options.seconds) * 1000)
            return true;
        if (!m_options.replay)
            return m_steps >= m_options.steps;
        const QList<LogLine>& lines = m_options.replay->lines;
        return std::none_of(lines.cbegin() + m_next, lines.cend(),
                            [](const LogLine& line) { return line.kind == LogLine::Kind::Step; });
    }

    enum class Replayed { Ready, Later, Skipped };
    // The next step of a replay. A control that is not there yet, or that a dialog in front
    // keeps out of reach, is waited for a little (a copy running in the background, a screen
    // still opening), then passed over.
    Replayed replayed(Target& target, Input& input) {
        const QList<LogLine>& lines = m_options.replay->lines;
        while (m_next < lines.size() && lines.at(m_next).kind != LogLine::Kind::Step)
            ++m_next;
        const LogLine line = lines.at(m_next);
        input = {line.action, line.value};
        target = find(line.target);
        const bool blocked =
            (QApplication::activeModalWidget() && !line.target.startsWith(ModalPath)) ||
            (QApplication::activePopupWidget() && !line.target.startsWith(PopupPath));
        const bool ready = (target.widget || target.action) && !blocked;
        if (!ready && m_waited.isValid() && m_waited.elapsed() < ReplayWaitMs)
            return Replayed::Later;
        if (!ready && !m_waited.isValid()) {
            m_waited.start();
            return Replayed::Later;
        }
        m_waited.invalidate();
        QList<LogLine> recorded;
        for (++m_next; m_next < lines.size() && lines.at(m_next).kind != LogLine::Kind::Step;)
            recorded << lines.at(m_next++);
        m_answers.replay(recorded);
        if (ready)
            return Replayed::Ready;
        say(u"%1\t(not there now) %2"_s.arg(m_steps).arg(toText(line)));
        return Replayed::Skipped;
    }

    Target find(const QString& path) {
        if (path == PopupPath)
            return Target{path, QApplication::activePopupWidget(), nullptr};
        if (path == ModalPath)
            return Target{path, QApplication::activeModalWidget(), nullptr};
        return resolve(path, m_main, QApplication::activeModalWidget());
    }

    // A random step: on an open popup, on the dialog in front, or anywhere in the main window.
    bool chosen(Target& target, Input& input) {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            QList<Target> targets = popupTargets(popup);
            targets << Target{PopupPath, popup, nullptr};
            target = targets.at(int(m_random.bounded(quint32(targets.size()))));
            input = target.action ? Input{u"trigger"_s, QString()} : Input{u"key"_s, u"Escape"_s};
            return true;
        }
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (modal != m_modal) {
                m_modal = modal;
                m_modalSteps = 0;
            }
            ++m_modalSteps;
            QList<Target> targets = widgetTargets(modal);
            const bool reject = closeUnanswered(modal) || m_modalSteps > StepsBeforeReject ||
                                targets.isEmpty() || m_random.bounded(100) < 20;
            if (reject) {
                target = Target{ModalPath, modal, nullptr};
                input = {m_modalSteps > StepsBeforeHide ? u"hide"_s : u"reject"_s, QString()};
                return true;
            }
            target = targets.at(int(m_random.bounded(quint32(targets.size()))));
            target.path.prepend(ModalPath + u'/');
            input = chooseInput(target, m_random);
            return true;
        }
        // A screen, the menus and the button bar are picked first and then one of their
        // controls, so a screen with few controls is visited as often as one with many.
        QMap<QString, QList<Target>> groups;
        for (const Target& t : widgetTargets(m_main) + actionTargets(m_main))
            groups[groupOf(t.path)] << t;
        if (groups.isEmpty())
            return false;
        const QList<Target>& group =
            std::next(groups.cbegin(), qsizetype(m_random.bounded(quint32(groups.size())))).value();
        target = group.at(int(m_random.bounded(quint32(group.size()))));
        input = chooseInput(target, m_random);
        return true;
    }

    void step() {
        m_scheduled = false;
        if (m_done)
            return;
        if (outOfSteps()) {
            finish({});
            return;
        }
        Target target;
        Input input;
        if (m_options.replay) {
            const Replayed next = replayed(target, input);
            if (next == Replayed::Later) {
                QTimer::singleShot(20, this, [this] { idle(); });
                return;
            }
            if (next == Replayed::Skipped) {
                ++m_steps;
                idle();
                return;
            }
        } else if (!chosen(target, input)) {
            finish({u"nothing left to click"_s});
            return;
        }
        const int number = m_steps++;
        const LogLine line{LogLine::Kind::Step, target.path, input.action, input.value};
        m_writer.add(line);
        say(QString::number(number) + u'\t' + toText(line).left(200));
        m_checks.noteInput(target, input);
        m_answers.setDeleteConfirmed(false);
        m_answers.setCatalogueRestored(false);
        m_watchdog.stepStarted(number);
        ++m_depth;
        if (target.path == ModalPath || target.path == PopupPath) {
            if (input.action == u"hide"_s)
                target.widget->hide();
            if (input.action == u"reject"_s || input.action == u"hide"_s)
                rejectOrClose(target.widget);
            else
                perform(target, input);
        } else {
            perform(target, input);
        }
        --m_depth;
        if (m_done)
            return;
        const bool answering = settle();
        if (m_answers.deleteConfirmed())
            m_checks.noteDeleteConfirmed();
        if (m_answers.catalogueRestored()) {
            m_checks.noteCatalogueRestored();
            m_restored = true;
        }
        QStringList failures;
        if (!m_main)
            failures << u"the main window was destroyed"_s;
        else if (m_exited)
            failures << u"the program ended"_s;
        else if (!answering)
            failures << u"the program does not answer"_s;
        failures << programFaults();
        programFaults().clear();
        if (failures.isEmpty() && m_options.catalogueChecks)
            failures = m_checks.afterStep();
        if (!failures.isEmpty())
            finish(failures);
    }

    // Stops giving input and unwinds: dialogs are closed, waits abandoned, screens closed
    // without questions; the run's loop ends once no step is on the stack any more.
    void finish(const QStringList& failures) {
        if (m_done)
            return;
        m_done = true;
        m_failures = failures;
        m_watchdog.stepEnded();
        m_answers.windDown();
        auto* windDown = new QTimer(this);
        connect(windDown, &QTimer::timeout, this, [this, windDown] {
            abandonWaits();
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            if (QWidget* modal = QApplication::activeModalWidget()) {
                rejectOrClose(modal);
                modal->hide();
            }
            if (m_depth > 0)
                return;
            windDown->stop();
            if (!m_options.keepScreens)
                ChildWindows::unloadAll();
            m_loop.quit();
        });
        windDown->start(20);
    }

    QPointer<FrmMain> m_main;
    const RunOptions& m_options;
    ReplayWriter m_writer;
    QString m_report;
    Watchdog m_watchdog;
    Answers m_answers;
    MonkeyPrompts m_prompts;
    Checks m_checks;
    QRandomGenerator m_random;
    QElapsedTimer m_clock;
    QElapsedTimer m_waited; // since the replay's next control was first missed
    QEventLoop m_loop;
    QPointer<QWidget> m_modal;
    int m_modalSteps = 0;
    int m_steps = 0;
    qsizetype m_next = 0; // the replay's next line
    int m_depth = 0;      // steps on the stack
    bool m_scheduled = false;
    bool m_done = false;
    bool m_exited = false;
    bool m_restored = false;
    QStringList m_failures;
};

} // namespace

RunResult run(FrmMain& main, const QString& folder, const RunOptions& options) {
    Driver driver(main, folder, options);
    return driver.run();
}

} // namespace tovin::test::monkey
