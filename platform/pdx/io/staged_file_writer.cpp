// Temporary output files with hooked, buffered writes and no-replace installation.
#include "platform/pdx/io/staged_file_writer.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <utility>
#include <system_error>

#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

std::string errnoText(int err) { return std::generic_category().message(err); }

// The umask can only be read by setting it, which races with other threads; Linux shows it.
mode_t readUmask() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Umask:") {
            unsigned value = 0;
            if (status >> std::oct >> value) return static_cast<mode_t>(value & 0777);
            break;
        }
        status.ignore(4096, '\n');
    }
    return 022;
}

}  // namespace

mode_t newFileMode() {
    static const mode_t mode = 0666 & ~readUmask();
    return mode;
}

std::filesystem::path uniqueSibling(const std::filesystem::path& file, const std::string& marker) {
    thread_local std::mt19937_64 random{(static_cast<std::uint64_t>(std::random_device{}()) << 32) ^
                                        std::random_device{}()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "-%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    std::filesystem::path p = file;
    p += marker + suffix;
    return p;
}

StagedFile::StagedFile(FileTarget target, WriteHook hook) : target_(std::move(target)), hook_(std::move(hook)) {
    for (int attempt = 0; fd_ < 0; ++attempt) {
        tempPath_ = uniqueSibling(target_.finalPath, ".vts-new");
        call();
        // Private from the first byte; O_EXCL never reuses or follows anything planted there.
        fd_ = ::open(tempPath_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0 && (errno != EEXIST || attempt == 20)) fail("cannot create");
    }
    // The journal tells this file by its inode: one not known is an error, never inode 0.
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int err = errno;
        ::close(std::exchange(fd_, -1));
        ::unlink(tempPath_.c_str());
        errno = err;
        fail("cannot look at");
    }
    inode_ = st.st_ino;
    buffer_.reserve(kBufferSize);
}

StagedFile::~StagedFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!installed_) {
        std::error_code ec;
        std::filesystem::remove(tempPath_, ec);
    }
}

void StagedFile::fail(const std::string& what) const {
    const int err = errno;
    throw Error(what + " " + tempPath_.string() + ": " + errnoText(err));
}

// The single place where bytes go to disk; the hook runs first so tests can fail any write.
void StagedFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    call();
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail("cannot write");
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
}

std::uint64_t StagedFile::append(const void* data, std::size_t size) {
    const std::uint64_t at = this->size();
    if (buffer_.size() + size > kBufferSize) flush();
    if (size >= kBufferSize) {
        writeAt(flushedSize_, data, size);
        flushedSize_ += size;
    } else {
        const auto* p = static_cast<const std::uint8_t*>(data);
        buffer_.insert(buffer_.end(), p, p + size);
    }
    return at;
}

std::uint64_t StagedFile::appendZeros(std::size_t size) {
    const std::uint64_t at = this->size();
    static const std::vector<std::uint8_t> zeros(64 * 1024);
    while (size > 0) {
        const std::size_t n = std::min(size, zeros.size());
        append(zeros.data(), n);
        size -= n;
    }
    return at;
}

void StagedFile::patch(std::uint64_t offset, const void* data, std::size_t size) {
    if (offset + size > this->size()) throw Error("internal error: patch past the end of " + tempPath_.string());
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (offset < flushedSize_) {
        const std::size_t onDisk = static_cast<std::size_t>(std::min<std::uint64_t>(size, flushedSize_ - offset));
        writeAt(offset, p, onDisk);
        p += onDisk;
        offset += onDisk;
        size -= onDisk;
    }
    if (size > 0) std::memcpy(buffer_.data() + (offset - flushedSize_), p, size);
}

void StagedFile::readAt(std::uint64_t offset, void* data, std::size_t size) const {
    auto* p = static_cast<std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail("cannot read back");
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
}

void StagedFile::flush() {
    if (buffer_.empty()) return;
    writeAt(flushedSize_, buffer_.data(), buffer_.size());
    flushedSize_ += buffer_.size();
    buffer_.clear();
}

void StagedFile::sync() {
    flush();
    call();
    if (target_.owner != static_cast<uid_t>(-1) || target_.group != static_cast<gid_t>(-1))
        (void)::fchown(fd_, target_.owner, target_.group);  // only root or a group member may; mode still applies
    if (::fchmod(fd_, target_.mode & 07777) != 0) fail("cannot set the permissions of");
    call();
    if (::fsync(fd_) != 0) fail("cannot flush to disk");
}

void StagedFile::install() {
    call();
    renameNoReplace(tempPath_, target_.finalPath);
    installed_ = true;
}

void StagedFile::uninstall() {
    if (!installed_) return;
    if (::rename(target_.finalPath.c_str(), tempPath_.c_str()) == 0) installed_ = false;
}

void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    int err = errno;
    if (err == EINVAL || err == ENOSYS || err == ENOTSUP) {
        // File systems without RENAME_NOREPLACE: a hard link fails atomically on an existing name.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return;
        }
        err = errno;
        if (err != EEXIST && !std::filesystem::exists(to)) {
            if (::rename(from.c_str(), to.c_str()) == 0) return;
            err = errno;
        }
    }
    if (err == EEXIST) throw Error("cannot install " + to.string() + ": a file of that name already exists");
    throw Error("cannot rename " + from.string() + " to " + to.string() + ": " + errnoText(err));
}

void syncFolder(const std::filesystem::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw Error("cannot open folder " + dir.string() + ": " + errnoText(errno));
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0 && err != EINVAL) throw Error("cannot flush folder " + dir.string() + ": " + errnoText(err));
}

}  // namespace pdx
