#pragma once

#include "core/settings/PasswordStore.h"

#include <QHash>

namespace tovin::test {

// A keyring in memory. `reachable` false behaves as a desktop without a keyring: nothing is
// read and nothing can be kept.
class MemoryPasswordStore : public PasswordStore {
public:
    QHash<QString, QString> kept;
    bool reachable = true;
    int reads = 0;

    std::optional<QString> read(const QString& key) override {
        ++reads;
        if (!reachable || !kept.contains(key))
            return std::nullopt;
        return kept.value(key);
    }
    std::optional<QString> write(const QString& key, const QString& password) override {
        if (!reachable)
            return QStringLiteral("No keyring is available");
        kept.insert(key, password);
        return std::nullopt;
    }
    void forget(const QString& key) override { kept.remove(key); }
};

} // namespace tovin::test
