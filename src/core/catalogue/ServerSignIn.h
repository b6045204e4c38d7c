#pragma once

#include "core/settings/PasswordStore.h"

#include <QString>
#include <functional>
#include <optional>

namespace tovin {

// Signing in to a shared catalogue, and what is kept where: the address (without password) is
// the catalogue's location everywhere (settings, titles, messages); the password lives in the
// password store under that address, and in the process's environment (PGPASSWORD) while the
// program runs, where libpq finds it for every connection a screen opens.
class ServerSignIn {
public:
    // Opens the catalogue at `location` the way a screen does; raises a RunTimeError when the
    // catalogue cannot be opened.
    using Opener = std::function<void(const QString& location)>;

    explicit ServerSignIn(PasswordStore& store, Opener opener = {});

    // The key a password is kept under: the address without password, spelt one way whichever
    // way it was written.
    static QString keyFor(const QString& location);

    // The password kept for the catalogue at `location`; nothing when none is kept.
    std::optional<QString> keptPassword(const QString& location);

    // For a batch command: the password the window kept for `location` is given to libpq
    // (PGPASSWORD) when libpq has none of its own, neither PGPASSWORD nor a password file
    // (PGPASSFILE, else ~/.pgpass). True when it was.
    static bool useKeptPassword(const QString& location, PasswordStore& store);

    struct Outcome {
        bool opened = false;
        // Why the catalogue did not open; or, when it did, why the password could not be kept
        // (empty when it was).
        QString message;
    };
    // Tries to open the catalogue with `password` (empty: whatever libpq finds without one).
    // When it opens, the password serves every later connection and is kept in the store when
    // `remember` is true, dropped from it when false, left as it is when not given; when it does
    // not open, nothing changes.
    Outcome signIn(const QString& location, const QString& password, std::optional<bool> remember);

private:
    PasswordStore& m_store;
    Opener m_open;
};

} // namespace tovin
