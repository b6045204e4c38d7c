#include "core/base/EventWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace tovin {

namespace {
bool closing = false;
} // namespace

void letEventsRun() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void abandonWaits() {
    closing = true;
}

void resumeWaits() {
    closing = false;
}

bool waitsAbandoned() {
    return closing;
}

bool waitUntil(const std::function<bool()>& done) {
    if (closing)
        return false;
    if (done())
        return true;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(50);
    bool finished = false;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (closing) {
            loop.quit();
        } else if (done()) {
            finished = true;
            loop.quit();
        }
    });
    tick.start();
    // The loop also ends when the application leaves its event loop (Exit): then the
    // condition never came true and the wait is abandoned.
    loop.exec();
    return finished;
}

} // namespace tovin
