#include "core/storage/PostgresReconnector.h"

#include "core/storage/PostgresAddress.h"

#include <libpq-fe.h>

namespace tovin {

PostgresReconnector::PostgresReconnector(pg_conn* handle, std::function<bool()> mayTry,
                                         std::function<void()> made)
    : m_handle(handle), m_mayTry(std::move(mayTry)), m_made(std::move(made)) {
    m_next.setSingleShot(true);
    QObject::connect(&m_next, &QTimer::timeout, &m_next, [this] { attempt(); });
    // libpq keeps no time while it is driven step by step: the connect wait is kept here.
    m_giveUp.setSingleShot(true);
    m_giveUp.setInterval(PostgresAddress::ConnectSeconds * 1000);
    QObject::connect(&m_giveUp, &QTimer::timeout, &m_giveUp, [this] { giveUpAttempt(); });
}

PostgresReconnector::~PostgresReconnector() {
    dropNotifier();
}

void PostgresReconnector::start() {
    if (m_trying)
        return;
    m_trying = true;
    m_delayMs = FirstDelayMs;
    m_next.start(m_delayMs);
}

void PostgresReconnector::stop() {
    m_trying = false;
    m_next.stop();
    m_giveUp.stop();
    dropNotifier();
}

void PostgresReconnector::attempt() {
    if (!m_trying)
        return;
    if (!m_mayTry() || !PQresetStart(m_handle) || PQstatus(m_handle) == CONNECTION_BAD) {
        tryLater();
        return;
    }
    m_giveUp.start();
    // A connection just started is driven on once its socket can be written.
    advance(PGRES_POLLING_WRITING);
}

void PostgresReconnector::advance(int pollingStatus) {
    switch (pollingStatus) {
    case PGRES_POLLING_OK:
        stop();
        m_made();
        return;
    case PGRES_POLLING_READING:
    case PGRES_POLLING_WRITING: {
        // The socket may be another one at each step (another of the host's addresses).
        dropNotifier();
        if (PQsocket(m_handle) < 0) {
            m_giveUp.stop();
            tryLater();
            return;
        }
        const auto type =
            pollingStatus == PGRES_POLLING_READING ? QSocketNotifier::Read : QSocketNotifier::Write;
        m_notifier = new QSocketNotifier(qintptr(PQsocket(m_handle)), type);
        QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier,
                         [this] { advance(PQresetPoll(m_handle)); });
        return;
    }
    default:
        m_giveUp.stop();
        dropNotifier();
        tryLater();
        return;
    }
}

// The server took the connection and does not answer: the attempt is dropped; the next one
// starts anew (PQresetStart closes what this one left).
void PostgresReconnector::giveUpAttempt() {
    dropNotifier();
    tryLater();
}

void PostgresReconnector::tryLater() {
    if (!m_trying)
        return;
    m_delayMs = qMin(m_delayMs * 2, LongestDelayMs);
    m_next.start(m_delayMs);
}

// A notifier may be dropped from its own signal: it is disabled at once and deleted later.
void dropSocketNotifier(QPointer<QSocketNotifier>& notifier) {
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier->disconnect();
    notifier->deleteLater();
    notifier = nullptr;
}

void PostgresReconnector::dropNotifier() {
    dropSocketNotifier(m_notifier);
}

} // namespace tovin
