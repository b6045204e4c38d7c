#include "core/storage/WriterTurn.h"

#include <QMutex>
#include <atomic>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

constexpr int DefaultLimitMs = WriterTurn::DefaultWaitSeconds * 1000;
// A day: longer than any holder that is still working, short enough to stay in an int.
constexpr double LongestSeconds = 86400;

std::atomic<int> limit{DefaultLimitMs};
std::atomic<bool> keptByProcess{false};
std::atomic<quint64> cancels{0};

QMutex& watcherMutex() {
    static QMutex mutex;
    return mutex;
}
WriterTurn::Watcher& watcherSlot() {
    static WriterTurn::Watcher watcher;
    return watcher;
}

} // namespace

int WriterTurn::limitMs() {
    return limit.load();
}

void WriterTurn::setLimitMs(int milliseconds) {
    keptByProcess = true;
    limit = qMax(0, milliseconds);
}

bool WriterTurn::limitKept() {
    return keptByProcess;
}

void WriterTurn::takeSetting(const QString& text) {
    if (keptByProcess)
        return;
    const std::optional<int> read = readSeconds(text);
    limit = read ? *read : DefaultLimitMs;
}

std::optional<int> WriterTurn::readSeconds(const QString& text) {
    bool ok = false;
    const double seconds = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > LongestSeconds)
        return std::nullopt;
    return int(std::lround(seconds * 1000));
}

void WriterTurn::setWatcher(Watcher watcher) {
    const QMutexLocker lock(&watcherMutex());
    watcherSlot() = std::move(watcher);
}

void WriterTurn::waitStarted(int limitMs) {
    Watcher watcher;
    {
        const QMutexLocker lock(&watcherMutex());
        watcher = watcherSlot();
    }
    if (watcher)
        watcher(limitMs);
}

void WriterTurn::cancelWaits() {
    ++cancels;
}

quint64 WriterTurn::cancelCount() {
    return cancels.load();
}

QString WriterTurn::seconds(int milliseconds) {
    if (milliseconds % 1000 == 0)
        return milliseconds == 1000 ? u"1 second"_s
                                    : QString::number(milliseconds / 1000) + u" seconds"_s;
    return QString::number(milliseconds / 1000.0, 'f', milliseconds % 100 == 0 ? 1 : 3) +
           u" seconds"_s;
}

QString WriterTurn::waitingText(int limitMs) {
    return u"the catalogue is being written by another program; waiting up to "_s +
           seconds(limitMs) + u" for it"_s;
}

QString WriterTurn::gaveUpText(int limitMs) {
    if (limitMs <= 0)
        return u"Another user kept the catalogue locked, and no wait for it was allowed; it could "
               u"not be written."_s;
    return u"Another user kept the catalogue locked for longer than the wait of "_s +
           seconds(limitMs) + u"; it could not be written."_s;
}

QString WriterTurn::cancelledText() {
    return u"The wait for another user to finish writing the catalogue was cancelled; "
           u"nothing more was written."_s;
}

} // namespace tovin
