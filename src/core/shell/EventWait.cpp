#include "core/shell/EventWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace tovin {

void letEventsRun() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void waitUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(50);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    if (done())
        return;
    tick.start();
    loop.exec();
}

} // namespace tovin
