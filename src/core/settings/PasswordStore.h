#pragma once

#include <QString>
#include <optional>

namespace tovin {

// Where the passwords of shared catalogues are kept between runs: the desktop's keyring in the
// program (KeyringPasswordStore), a memory in tests, so that no test touches a real keyring.
class PasswordStore {
public:
    virtual ~PasswordStore() = default;
    // The password kept under `key`; nothing when none is kept or the store cannot be reached.
    virtual std::optional<QString> read(const QString& key) = 0;
    // Keeps `password` under `key`; why it could not, in plain words, when it could not.
    virtual std::optional<QString> write(const QString& key, const QString& password) = 0;
    // Drops what is kept under `key`, if anything.
    virtual void forget(const QString& key) = 0;
};

} // namespace tovin
