#include "core/catalogue/ServerSignIn.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/settings/ServerAddress.h"
#include "core/storage/CatalogueLocation.h"

#include <QDir>
#include <QFileInfo>
#include <exception>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

constexpr char PasswordVariable[] = "PGPASSWORD";

void openAsAScreenDoes(const QString& location) {
    CatalogueDatabase database(location);
}

// Puts the environment's password back as it was before a refused attempt.
class PasswordVariableGuard {
public:
    PasswordVariableGuard()
        : m_was(qEnvironmentVariableIsSet(PasswordVariable)), m_value(qgetenv(PasswordVariable)) {}
    ~PasswordVariableGuard() {
        if (m_keep)
            return;
        if (m_was)
            qputenv(PasswordVariable, m_value);
        else
            qunsetenv(PasswordVariable);
    }
    void keep() { m_keep = true; }

private:
    bool m_was;
    QByteArray m_value;
    bool m_keep = false;
};

} // namespace

ServerSignIn::ServerSignIn(PasswordStore& store, Opener opener)
    : m_store(store), m_open(opener ? std::move(opener) : Opener(openAsAScreenDoes)) {}

QString ServerSignIn::keyFor(const QString& location) {
    if (const std::optional<ServerAddress> address = ServerAddress::parse(location))
        return address->uri();
    return CatalogueLocation::withoutPassword(location);
}

std::optional<QString> ServerSignIn::keptPassword(const QString& location) {
    return m_store.read(keyFor(location));
}

bool ServerSignIn::useKeptPassword(const QString& location, PasswordStore& store) {
    if (qEnvironmentVariableIsSet(PasswordVariable))
        return false;
    const QString passwordFile = qEnvironmentVariableIsSet("PGPASSFILE")
                                     ? qEnvironmentVariable("PGPASSFILE")
                                     : QDir::homePath() + u"/.pgpass"_s;
    if (QFileInfo::exists(passwordFile))
        return false;
    const std::optional<QString> kept = store.read(keyFor(location));
    if (!kept || kept->isEmpty())
        return false;
    qputenv(PasswordVariable, kept->toUtf8());
    return true;
}

ServerSignIn::Outcome ServerSignIn::signIn(const QString& location, const QString& password,
                                           std::optional<bool> remember) {
    PasswordVariableGuard variable;
    // An empty password leaves libpq to its own ways (a password file, a trusted socket).
    if (!password.isEmpty())
        qputenv(PasswordVariable, password.toUtf8());
    try {
        m_open(location);
    } catch (const RunTimeError& error) {
        return {false, error.description()};
    } catch (const std::exception& error) {
        return {false, QString::fromLocal8Bit(error.what())};
    }
    variable.keep();
    if (!remember)
        return {true, QString()};
    const QString key = keyFor(location);
    if (!*remember || password.isEmpty()) {
        m_store.forget(key);
        return {true, QString()};
    }
    if (const std::optional<QString> failure = m_store.write(key, password))
        return {true, u"The password could not be kept in the keyring: "_s + *failure +
                          u"\n\nIt will be asked for at the next start."_s};
    return {true, QString()};
}

} // namespace tovin
