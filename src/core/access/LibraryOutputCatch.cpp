#include "core/access/LibraryOutputCatch.h"

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace tovin {

namespace {

constexpr int ErrorOutput = 2;

std::mutex& catchLock() {
    static std::mutex lock;
    return lock;
}

} // namespace

LibraryOutputCatch::LibraryOutputCatch() {
    catchLock().lock();
    m_locked = true;
    // A temporary file rather than a pipe: a library that writes much (thousands of warnings on
    // a badly damaged file) would fill a pipe that nobody reads and hang.
    std::FILE* file = std::tmpfile();
    if (file) {
        m_file = dup(fileno(file));
        std::fclose(file);
    }
    std::fflush(stderr);
    m_saved = m_file >= 0 ? dup(ErrorOutput) : -1;
    m_active = m_saved >= 0 && dup2(m_file, ErrorOutput) >= 0;
    if (!m_active)
        release();
}

LibraryOutputCatch::~LibraryOutputCatch() {
    release();
    if (m_file >= 0)
        close(m_file);
}

void LibraryOutputCatch::release() {
    if (!m_locked)
        return;
    std::fflush(stderr);
    if (m_active)
        dup2(m_saved, ErrorOutput);
    if (m_saved >= 0)
        close(m_saved);
    m_saved = -1;
    m_active = false;
    m_locked = false;
    catchLock().unlock();
}

bool LibraryOutputCatch::caughtAny() const {
    std::fflush(stderr);
    return m_file >= 0 && lseek(m_file, 0, SEEK_END) > 0;
}

} // namespace tovin
