#include "export/export_temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/pdx/io/staged_file_writer.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
    throw Error(what + " \"" + path + "\": " + std::strerror(err));
}

// A name beside the target that nothing is likely to hold: hidden, and telling whose it is.
std::string candidateName(const std::string& dir) {
    std::filesystem::path name = pdx::uniqueSibling(std::filesystem::path(dir.empty() ? "." : dir) / ".vts", "");
    name += ".tmp";
    return name.string();
}

}  // namespace

ExportTempFile::ExportTempFile(std::string target)
    : target_(std::move(target)), dir_(std::filesystem::path(target_).parent_path().string()) {
    // An unnamed file needs /proc to be given a name later; where either is missing, a named one.
    if (::access("/proc/self/fd", X_OK) == 0)
        fd_ = ::open(dir_.empty() ? "." : dir_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ < 0) openNamed();
}

ExportTempFile::~ExportTempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
}

void ExportTempFile::openNamed() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = candidateName(dir_);
        // O_EXCL: never reuse or follow anything already there. Private until complete: the rows
        // are the user's data, and the folder may be shared.
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ >= 0) return;
        path_.clear();
        if (errno != EEXIST) fail("Cannot create the file", target_, errno);
    }
    fail("Cannot create the file", target_, EEXIST);
}

void ExportTempFile::write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("Cannot write the file", target_, errno);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void ExportTempFile::keepMode() {
    struct stat st {};
    const bool ownFile = ::lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
    if (::fchmod(fd_, ownFile ? st.st_mode & 07777 : pdx::newFileMode()) != 0)
        fail("Cannot write the file", target_, errno);
}

// Links the unnamed file into the folder under a fresh name (linkat cannot replace a file).
void ExportTempFile::giveName() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = candidateName(dir_);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            path_ = name;
            return;
        }
        if (errno != EEXIST) fail("Cannot write the file", target_, errno);
    }
    fail("Cannot write the file", target_, EEXIST);
}

// A named file in a shared folder could have been removed and replaced by someone else's.
void ExportTempFile::requireOwnName() const {
    struct stat mine {};
    struct stat named {};
    if (::fstat(fd_, &mine) != 0) fail("Cannot write the file", target_, errno);
    if (::lstat(path_.c_str(), &named) != 0 || named.st_dev != mine.st_dev || named.st_ino != mine.st_ino)
        throw Error("Cannot write the file \"" + target_ +
                    "\": its temporary file was removed or replaced by someone else while it was written.");
}

void ExportTempFile::commit() {
    if (::fsync(fd_) != 0) fail("Cannot write the file", target_, errno);
    if (path_.empty()) giveName();
    requireOwnName();
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) fail("Cannot write the file", target_, errno);
    if (::rename(path_.c_str(), target_.c_str()) != 0) fail("Cannot replace the file", target_, errno);
    path_.clear();
}

}  // namespace vts
