#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace tovin {

// The parts of a shared catalogue's address as the Open Shared Catalogue dialog shows them, and
// the libpq connection URI they stand for. The password is never part of it: it reaches the
// server another way (see ServerSignIn), so an address can be kept and shown as it is.
struct ServerAddress {
    static constexpr int DefaultPort = 5432;

    // A host name or number; empty for the local socket in its usual folder, or a folder
    // (starting with "/") holding the server's socket.
    QString host;
    int port = DefaultPort;
    QString database;
    QString user;
    // Further connection parameters the address was given with (sslmode, connect_timeout...),
    // kept in their order so that opening the dialog on an address does not lose them.
    QList<std::pair<QString, QString>> options;

    bool operator==(const ServerAddress&) const = default;

    bool usesSocket() const;
    // "postgresql://USER@HOST:PORT/DATABASE?OPTIONS", every part percent-encoded; a socket
    // folder goes in "?host=", the default port is left out.
    QString uri() const;
    // The parts of a "postgresql://" or "postgres://" URI; nothing when the text is not one or
    // names a port that is no number. A password the URI carries goes to `password`.
    static std::optional<ServerAddress> parse(const QString& uri, QString* password = nullptr);
};

} // namespace tovin
