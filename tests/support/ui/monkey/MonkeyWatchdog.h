#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tovin::test::monkey {

// Ends the run when a step does not come back: a hung program never ends a test by itself. It
// tells the seed and the replay file, which already holds the step that hung, and exits.
class Watchdog {
public:
    Watchdog(int seconds, QString report);
    ~Watchdog();

    void stepStarted(int step);
    void stepEnded();

private:
    void watch();

    const int m_seconds;
    const QByteArray m_report;
    std::atomic<int> m_step{-1};
    std::atomic<qint64> m_startedMs{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace tovin::test::monkey
