#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace tovin {

// Runs an action once things have settled: every request restarts a short single-shot timer,
// so a burst of requests (holding down the Next key over a thousand products) runs the action
// once, after the last of them. flush() runs a pending action at once, for code that needs its
// result now.
class CoalescedAction : public QObject {
    Q_OBJECT
public:
    explicit CoalescedAction(std::function<void()> action, int delayMs = 30,
                             QObject* parent = nullptr);

    void request();
    void flush();
    void cancel();
    bool isPending() const { return m_timer.isActive(); }

signals:
    // The action has run (after the burst settled, or at a flush).
    void ran();

private:
    void run();

    std::function<void()> m_action;
    QTimer m_timer;
};

} // namespace tovin
