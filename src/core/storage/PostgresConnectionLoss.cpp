#include "core/storage/CatalogueChanges.h"
#include "core/storage/PostgresAddress.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/PostgresReconnector.h"

#include <QHash>
#include <QMutex>
#include <exception>
#include <functional>
#include <libpq-fe.h>

using namespace Qt::Literals::StringLiterals;

// How a connection that lost its server says so and comes back.

namespace tovin {

namespace {

// Every screen has a connection of its own to the catalogue, and a server that stops drops
// them all. The views are told once per catalogue: lost when the first of its connections is
// lost, back when the last of them is back (or gone), so that they read again once.
class LostConnections {
public:
    static LostConnections& instance() {
        static LostConnections board;
        return board;
    }
    // True when it is the first of the catalogue's connections lost.
    bool lose(const QString& catalogue) {
        const QMutexLocker lock(&m_mutex);
        return ++m_lost[catalogue] == 1;
    }
    // True when it was the last of them.
    bool regain(const QString& catalogue) {
        const QMutexLocker lock(&m_mutex);
        const auto it = m_lost.find(catalogue);
        if (it == m_lost.end())
            return false;
        if (--it.value() > 0)
            return false;
        m_lost.erase(it);
        return true;
    }

private:
    QMutex m_mutex;
    QHash<QString, int> m_lost;
};

// A view told runs from the event loop, which must never see an error: one that could not
// take the news in keeps its own state and tells the user with its next move.
void tell(const std::function<void()>& emitting) {
    try {
        emitting();
    } catch (const std::exception& error) {
        qWarning("A view could not follow the catalogue server's connection: %s", error.what());
    }
}

// Told when the program next waits for events: a view that reacts by closing a screen then
// never pulls the connection away from under the code that told it.
void tellLost(const QString& catalogue, const QString& reason) {
    CatalogueChanges& changes = CatalogueChanges::instance();
    QMetaObject::invokeMethod(
        &changes,
        [&changes, catalogue, reason] {
            tell([&] { emit changes.connectionLost(catalogue, reason); });
        },
        Qt::QueuedConnection);
}

void tellBack(const QString& catalogue) {
    CatalogueChanges& changes = CatalogueChanges::instance();
    QMetaObject::invokeMethod(
        &changes, [&changes, catalogue] { tell([&] { emit changes.connectionBack(catalogue); }); },
        Qt::QueuedConnection);
}

} // namespace

QString PostgresConnection::lossReason() const {
    const QString message = QString::fromUtf8(PQerrorMessage(m_handle)).simplified();
    if (message.isEmpty())
        return u"the server closed the connection"_s;
    return PostgresAddress::scrubbed(message, m_uri);
}

// Only a program that waits for events listens, and so has views to tell and time to connect
// again in the background; a batch command connects again with its next statement.
void PostgresConnection::connectionGone(const QString& reason) {
    // libpq closes the socket when it connects again: the listener must not watch it then,
    // nor read from the one it opens while it is still connecting.
    dropNotifier();
    if (!m_listener)
        return;
    if (!m_lostTold) {
        m_lostTold = true;
        if (LostConnections::instance().lose(place()))
            tellLost(place(), reason);
    }
    if (!m_reconnector)
        m_reconnector = std::make_unique<PostgresReconnector>(
            m_handle, [this] { return mayReconnect(); },
            [this] {
                try {
                    connectionMade();
                } catch (...) {
                    // Lost again while being set up: tried again later.
                    connectionGone(lossReason());
                }
            });
    m_reconnector->start();
}

void PostgresConnection::noticeLoss() {
    if (PQstatus(m_handle) != CONNECTION_OK && m_notifier)
        connectionGone(lossReason());
}

void PostgresConnection::connectionMade() {
    ++m_session;
    setUpSession();
    if (m_lostTold) {
        m_lostTold = false;
        if (LostConnections::instance().regain(place()))
            tellBack(place());
    }
}

void PostgresConnection::stopReconnecting() {
    if (m_reconnector)
        m_reconnector->stop();
}

void PostgresConnection::forgetLoss() {
    if (m_lostTold && LostConnections::instance().regain(place()))
        tellBack(place());
    m_lostTold = false;
}

bool PostgresConnection::mayReconnect() const {
    return !m_inTransaction && !m_answering;
}

} // namespace tovin
