#pragma once

#include "core/settings/PasswordStore.h"

namespace tovin {

// The desktop's keyring (the Secret Service or KWallet, through QtKeychain), under the service
// name "tovin-catalog". It never falls back to a plain file: without a keyring nothing is kept
// and the program asks for the password instead.
class KeyringPasswordStore : public PasswordStore {
public:
    static constexpr char16_t Service[] = u"tovin-catalog";

    std::optional<QString> read(const QString& key) override;
    std::optional<QString> write(const QString& key, const QString& password) override;
    void forget(const QString& key) override;
};

} // namespace tovin
