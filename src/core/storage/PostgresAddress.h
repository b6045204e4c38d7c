#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

// How a catalogue server's address becomes a connection, and how nothing of its password ever
// reaches a message.
namespace tovin::PostgresAddress {

// The waits put in when the address gives none: a server that takes the connection and never
// answers is given up after ConnectSeconds; a server gone without a word (its machine off, a
// cable out) is noticed within about a minute through the keepalives, and a statement sent to
// it fails once the server has not acknowledged it for UserTimeoutMs.
inline constexpr int ConnectSeconds = 10;
inline constexpr int UserTimeoutMs = 60000;

using Parameters = QList<std::pair<QByteArray, QByteArray>>;

// What libpq is given to connect to `uri` (with its dbname expanded): the address itself, then
// each default wait the address does not set itself (nor the environment, for the one it can
// set). The address's own values win.
Parameters connectParameters(const QString& uri);

// Why the address cannot be used, in words that quote no part of it; nothing when it can. An
// "@" or "/" written as it is in a user name or password makes libpq split the address in the
// wrong place and then quote a piece of the password as a host or a database.
std::optional<QString> unreadable(const QString& uri);

// True when the address carries a password: in its user part, as "password=" among its
// parameters, or in the "keyword=value" form.
bool hasPassword(const QString& location);

// A message of libpq's, about connecting to `uri`, with the address's password taken out
// wherever it was quoted.
QString scrubbed(const QString& message, const QString& uri);

} // namespace tovin::PostgresAddress
