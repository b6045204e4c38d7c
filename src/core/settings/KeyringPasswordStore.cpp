#include "core/settings/KeyringPasswordStore.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace tovin {

namespace {

QString service() {
    return QString::fromUtf16(KeyringPasswordStore::Service);
}

// The keyring answers asynchronously; the callers need the answer before they go on (a password
// before connecting), so the job is waited for here.
void runToEnd(QKeychain::Job& job, const QString& key) {
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(key);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    job.start();
    // A keyring that cannot be reached may answer before start() returns.
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

std::optional<QString> KeyringPasswordStore::read(const QString& key) {
    QKeychain::ReadPasswordJob job(service());
    runToEnd(job, key);
    if (job.error() != QKeychain::NoError)
        return std::nullopt;
    return job.textData();
}

std::optional<QString> KeyringPasswordStore::write(const QString& key, const QString& password) {
    QKeychain::WritePasswordJob job(service());
    job.setTextData(password);
    runToEnd(job, key);
    if (job.error() != QKeychain::NoError)
        return job.errorString();
    return std::nullopt;
}

void KeyringPasswordStore::forget(const QString& key) {
    QKeychain::DeletePasswordJob job(service());
    runToEnd(job, key);
}

} // namespace tovin
