// The open uses O_PATH: it needs no read permission and never opens the object itself,
// so probing a device node or a FIFO has no side effect and cannot block.
#include "fsutil/path_tests.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vts {
namespace {

// Text the C library would cut short at an embedded NUL names another path.
bool usablePath(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

}  // namespace

bool IsExistingFile(const std::string& path) {
    if (!usablePath(path)) return false;
    const int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

bool DirectoryExists(const std::string& path) {
    if (!usablePath(path)) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace vts
