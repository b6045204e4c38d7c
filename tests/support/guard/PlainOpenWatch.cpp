// Linked into every test program: watches every file the process opens, and ends the test at
// once when anything but SQLite opens a catalogue that a connection of the process has open
// (or its -wal or -shm). On Linux, closing any descriptor of a file drops every lock the
// process holds on it, so such an open takes the database's locks away without a word; another
// program then deletes the journal the open connection still writes to. This catches a plain
// open wherever it creeps in, in the program or in a library it calls.
//
// SQLite's own opens are told apart by the system-call table SQLite lets a program replace:
// its "open" runs with a flag set for the calling thread.

#include "core/files/OpenCatalogues.h"

#include <QByteArray>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

thread_local bool insideSqlite = false;
thread_local bool checking = false;

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Ends the program when `fd` is a descriptor of an open catalogue that SQLite did not open.
void watch(int fd, const char* path) {
    if (fd < 0 || insideSqlite || checking)
        return;
    const int saved = errno;
    checking = true;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        if (const auto catalogue =
                tovin::OpenCatalogues::holdingFile(status.st_dev, status.st_ino)) {
            std::fprintf(stderr,
                         "FAIL: %s was opened past SQLite while the catalogue %s is open; "
                         "closing that descriptor drops the database's locks. Opened from:\n",
                         path ? path : "(a descriptor)", catalogue->toLocal8Bit().constData());
            void* frames[64];
            backtrace_symbols_fd(frames, backtrace(frames, 64), STDERR_FILENO);
            std::abort();
        }
    }
    checking = false;
    errno = saved;
}

mode_t modeArgument(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

using OpenFunction = int (*)(const char*, int, ...);
using OpenAtFunction = int (*)(int, const char*, int, ...);
using FopenFunction = FILE* (*)(const char*, const char*);

// SQLite's "open" system call, through the replaced table entry.
sqlite3_syscall_ptr sqliteOriginalOpen = nullptr;

int sqliteOpen(const char* path, int flags, int mode) {
    insideSqlite = true;
    const int fd =
        reinterpret_cast<int (*)(const char*, int, int)>(sqliteOriginalOpen)(path, flags, mode);
    insideSqlite = false;
    return fd;
}

// Installed before main(), before any connection is made.
[[maybe_unused]] const bool installed = [] {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    if (!vfs || !vfs->xGetSystemCall || !vfs->xSetSystemCall)
        return false;
    sqliteOriginalOpen = vfs->xGetSystemCall(vfs, "open");
    return sqliteOriginalOpen &&
           vfs->xSetSystemCall(vfs, "open", reinterpret_cast<sqlite3_syscall_ptr>(&sqliteOpen)) ==
               SQLITE_OK;
}();

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    static const auto real = next<OpenFunction>("open");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    const int fd = real(path, flags, mode);
    watch(fd, path);
    return fd;
}

int open64(const char* path, int flags, ...) {
    static const auto real = next<OpenFunction>("open64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    const int fd = real(path, flags, mode);
    watch(fd, path);
    return fd;
}

int openat(int folder, const char* path, int flags, ...) {
    static const auto real = next<OpenAtFunction>("openat");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    const int fd = real(folder, path, flags, mode);
    watch(fd, path);
    return fd;
}

int openat64(int folder, const char* path, int flags, ...) {
    static const auto real = next<OpenAtFunction>("openat64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    const int fd = real(folder, path, flags, mode);
    watch(fd, path);
    return fd;
}

FILE* fopen(const char* path, const char* mode) {
    static const auto real = next<FopenFunction>("fopen");
    FILE* file = real(path, mode);
    if (file)
        watch(fileno(file), path);
    return file;
}

FILE* fopen64(const char* path, const char* mode) {
    static const auto real = next<FopenFunction>("fopen64");
    FILE* file = real(path, mode);
    if (file)
        watch(fileno(file), path);
    return file;
}

} // extern "C"
