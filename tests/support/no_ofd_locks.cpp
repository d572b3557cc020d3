// Preloaded into a test's child process: a file system without open-file-description locks,
// whose fcntl refuses those commands as old kernels and some network file systems do.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

namespace {

using Fcntl = int (*)(int, int, ...);

int forward(const char* symbol, int fd, int cmd, void* arg) {
    if (cmd == F_OFD_SETLK || cmd == F_OFD_SETLKW || cmd == F_OFD_GETLK) {
        errno = EINVAL;
        return -1;
    }
    const auto real = reinterpret_cast<Fcntl>(::dlsym(RTLD_NEXT, symbol));
    return real(fd, cmd, arg);
}

}  // namespace

extern "C" int fcntl(int fd, int cmd, ...) {
    va_list ap;
    va_start(ap, cmd);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    return forward("fcntl", fd, cmd, arg);
}

extern "C" int fcntl64(int fd, int cmd, ...) {
    va_list ap;
    va_start(ap, cmd);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    return forward("fcntl64", fd, cmd, arg);
}
