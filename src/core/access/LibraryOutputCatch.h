#pragma once

namespace tovin {

// Catches what a library writes to the error output while the object lives, so that its raw
// texts never reach the user and the caller can tell that the library complained. libmdb has no
// error hooks: it reports a page or row it cannot read with fprintf to stderr and goes on, so
// its output is the one sign of a damaged file it gives.
//
// The error output is a process-wide file descriptor: one catch is active at a time (the others
// wait), and the caller keeps its own code (which may print) outside the caught span.
class LibraryOutputCatch {
public:
    LibraryOutputCatch();
    ~LibraryOutputCatch();
    LibraryOutputCatch(const LibraryOutputCatch&) = delete;
    LibraryOutputCatch& operator=(const LibraryOutputCatch&) = delete;

    // Restores the error output; afterwards nothing more is caught. Called by the destructor.
    void release();
    // True when anything was written to the error output so far.
    bool caughtAny() const;

private:
    int m_saved = -1;
    int m_file = -1;
    bool m_active = false;
    bool m_locked = false;
};

} // namespace tovin
