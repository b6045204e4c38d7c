#include "core/products/CoalescedAction.h"

namespace tovin {

CoalescedAction::CoalescedAction(std::function<void()> action, int delayMs, QObject* parent)
    : QObject(parent), m_action(std::move(action)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(delayMs);
    connect(&m_timer, &QTimer::timeout, this, &CoalescedAction::run);
}

void CoalescedAction::run() {
    if (m_action)
        m_action();
    emit ran();
}

void CoalescedAction::request() {
    m_timer.start();
}

void CoalescedAction::flush() {
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    run();
}

void CoalescedAction::cancel() {
    m_timer.stop();
}

} // namespace tovin
