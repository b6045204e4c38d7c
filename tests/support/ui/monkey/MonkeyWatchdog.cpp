#include "support/ui/monkey/MonkeyWatchdog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace tovin::test::monkey {

namespace {
qint64 nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

Watchdog::Watchdog(int seconds, QString report)
    : m_seconds(seconds), m_report(report.toUtf8()), m_thread([this] { watch(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void Watchdog::stepStarted(int step) {
    m_startedMs = nowMs();
    m_step = step;
}

void Watchdog::stepEnded() {
    m_step = -1;
}

void Watchdog::watch() {
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(500), [this] { return m_stop; })) {
        const int step = m_step;
        if (step < 0 || nowMs() - m_startedMs < qint64(m_seconds) * 1000)
            continue;
        std::fprintf(stderr, "MONKEY FAILURE: step %d did not return within %d s (a hang); %s\n",
                     step, m_seconds, m_report.constData());
        std::fflush(stderr);
        std::_Exit(3);
    }
}

} // namespace tovin::test::monkey
