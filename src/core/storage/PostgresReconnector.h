#pragma once

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>

struct pg_conn;

namespace tovin {

// Stops watching a socket whose connection is gone or being made again; safe from the
// notifier's own signal.
void dropSocketNotifier(QPointer<QSocketNotifier>& notifier);

// Makes a lost connection to the server again in the background while the program waits for
// events: an attempt every second at first, then ever more seldom up to every ten seconds.
// An attempt never blocks: libpq is driven step by step as its socket becomes ready, and an
// attempt the server does not answer is given up after the connect wait.
class PostgresReconnector {
public:
    // `mayTry` says whether an attempt may start now (not while a transaction of the
    // connection is still to be failed); `made` is called once the connection is made again.
    PostgresReconnector(pg_conn* handle, std::function<bool()> mayTry, std::function<void()> made);
    ~PostgresReconnector();
    PostgresReconnector(const PostgresReconnector&) = delete;
    PostgresReconnector& operator=(const PostgresReconnector&) = delete;

    // Starts trying, unless it is trying already.
    void start();
    // Stops trying, and gives up any attempt under way (the caller connects at once itself).
    void stop();
    bool trying() const { return m_trying; }

    // The waits between attempts, in milliseconds.
    static constexpr int FirstDelayMs = 1000;
    static constexpr int LongestDelayMs = 10000;

private:
    void attempt();
    void advance(int pollingStatus);
    void giveUpAttempt();
    void tryLater();
    void dropNotifier();

    pg_conn* m_handle;
    std::function<bool()> m_mayTry;
    std::function<void()> m_made;
    QTimer m_next;
    QTimer m_giveUp;
    QPointer<QSocketNotifier> m_notifier;
    int m_delayMs = FirstDelayMs;
    bool m_trying = false;
};

} // namespace tovin
