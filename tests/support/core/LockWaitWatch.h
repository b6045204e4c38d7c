#pragma once

#include <condition_variable>
#include <mutex>
#include <sqlite3.h>

namespace tovin::test {

// SQLite's default file system with one difference, while it lives: a connection that meets a
// lock and is about to sleep before trying again says so first. A test holding a lock can let
// it go just then, knowing the connection is waiting for it.
class LockWaitWatch {
public:
    LockWaitWatch() : m_plain(sqlite3_vfs_find(nullptr)), m_watching(*m_plain) {
        m_watching.zName = "tovin-lock-wait-watch";
        m_watching.xSleep = &LockWaitWatch::sleep;
        s_current = this;
        sqlite3_vfs_register(&m_watching, 1);
    }
    ~LockWaitWatch() {
        sqlite3_vfs_unregister(&m_watching);
        s_current = nullptr;
    }
    LockWaitWatch(const LockWaitWatch&) = delete;
    LockWaitWatch& operator=(const LockWaitWatch&) = delete;

    // Returns once a connection slept in a wait, or `over` was called; true for the former.
    bool waitForSleep() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_slept || m_over; });
        return m_slept;
    }
    // No wait is coming any more: waitForSleep() returns.
    void over() {
        const std::lock_guard lock(m_mutex);
        m_over = true;
        m_changed.notify_all();
    }
    bool slept() {
        const std::lock_guard lock(m_mutex);
        return m_slept;
    }

private:
    static int sleep(sqlite3_vfs*, int microseconds) {
        LockWaitWatch* watch = s_current;
        {
            const std::lock_guard lock(watch->m_mutex);
            watch->m_slept = true;
            watch->m_changed.notify_all();
        }
        return watch->m_plain->xSleep(watch->m_plain, microseconds);
    }

    static inline LockWaitWatch* s_current = nullptr;
    sqlite3_vfs* m_plain;
    sqlite3_vfs m_watching;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_slept = false;
    bool m_over = false;
};

} // namespace tovin::test
