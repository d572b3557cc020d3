// Open-file-description locks (F_OFD_SETLK): each lock belongs to its own open file, so two
// locks of one process exclude each other too, and closing an unrelated descriptor of the same
// file never drops them as classic POSIX locks would.
#include "platform/pdx/io/family_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>

#include "platform/pdx/format/name_case.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr const char* kLockFile = ".vts-lock";

// Two bytes per table: its writer byte and its files byte. Names differing only in letter case
// are one table; two names sharing a hash merely wait for each other.
off_t lockOffset(const std::string& table, FamilyLock::Kind kind) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : table) h = (h ^ static_cast<unsigned char>(std::toupper(c))) * 1099511628211ull;
    return static_cast<off_t>((h % (1ull << 30)) * 2 + (kind == FamilyLock::Kind::Files ? 1 : 0));
}

int openLockFile(const std::filesystem::path& dir, bool forWriting) {
    const std::filesystem::path file = dir / kLockFile;
    if (forWriting) {
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            // Everyone who may write in the folder must be able to lock it.
            struct stat st {};
            if (::stat(dir.c_str(), &st) == 0) (void)::fchmod(fd, st.st_mode & 0666);
            return fd;
        }
    }
    int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && !forWriting && errno != ENOENT) fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    return fd;
}

bool setLock(int fd, off_t offset, FamilyLock::Mode mode) {
    struct flock fl {};
    fl.l_type = mode == FamilyLock::Mode::Exclusive ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return true;
    // Classic POSIX locks are no stand-in: closing any descriptor of the file (a reader's, in
    // this same process) drops them all, and a second writer would go ahead.
    if (errno == EINVAL) errno = ENOLCK;
    return false;
}

// Why a lock file that could not be opened or locked for writing fails the writer, in words.
std::string unlockableText(const std::filesystem::path& dir, const std::string& table, int err) {
    const std::filesystem::path file = dir / kLockFile;
    struct stat st {};
    if (::lstat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return file.string() +
               " is not a plain file (a folder or a link, which someone may have put there), so no "
               "table of this folder can be locked for writing. Remove it and try again.";
    if (err == ENOLCK)
        return "The file system of \"" + dir.string() + "\" does not offer the locks that keep two programs from " +
               "writing the table " + table + " at once, so it is not written. Copy the folder to a local disk, " +
               "edit it there, and copy it back.";
    return file.string() + ": cannot lock the table " + table + ": " + std::strerror(err);
}

// Every path to one table meets one lock: a table whose .db is a link of this user's is locked
// where that .db really is, under its name there (a link of anyone else's is never followed).
std::pair<std::filesystem::path, std::string> lockPlace(const std::filesystem::path& dir, const std::string& table) {
    // The .db as a name in the folder, a dangling link included: a replacement sets the linked
    // file aside for a moment, and the lock must not move meanwhile.
    std::optional<std::filesystem::path> db;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (equalsNoCase(it->path().filename().string(), table + ".db")) db = it->path();
    struct stat st {};
    if (!db || ::lstat(db->c_str(), &st) != 0 || !S_ISLNK(st.st_mode) || st.st_uid != ::geteuid()) return {dir, table};
    // Resolved by the link's own text, which needs no file at its end.
    std::filesystem::path target = std::filesystem::read_symlink(*db, ec);
    if (ec) return {dir, table};
    if (target.is_relative()) target = db->parent_path() / target;
    const auto real = std::filesystem::weakly_canonical(target, ec);
    if (ec) return {dir, table};
    return {real.parent_path(), real.stem().string()};
}

std::string busyText(const std::string& table, FamilyLock::Kind kind) {
    if (kind == FamilyLock::Kind::Writer)
        return "The table " + table +
               " is being written by another program (or another window of this one); "
               "try again when it has finished.";
    return "The table " + table + " is being replaced right now; try again in a moment.";
}

}  // namespace

FamilyLock::FamilyLock(const std::filesystem::path& dir, const std::string& table, Kind kind, Mode mode,
                       std::chrono::milliseconds wait) {
    if (!take(dir, table, kind, mode, wait)) {
        const int err = errno;
        const bool busy = fd_ >= 0 && err != ENOLCK;
        if (fd_ >= 0) ::close(std::exchange(fd_, -1));
        // A reader reads without a lock it cannot have; a writer never writes without one.
        if (mode == Mode::Shared && !busy) return;
        throw Error(busy ? busyText(table, kind) : unlockableText(dir, table, err));
    }
}

FamilyLock FamilyLock::tryTake(const std::filesystem::path& dir, const std::string& table, Kind kind, Mode mode) {
    FamilyLock lock;
    if (!lock.take(dir, table, kind, mode, std::chrono::milliseconds(0)) && lock.fd_ >= 0)
        ::close(std::exchange(lock.fd_, -1));
    return lock;
}

// False with fd_ < 0 when the lock file cannot be opened, false with fd_ >= 0 when it is busy.
bool FamilyLock::take(const std::filesystem::path& given, const std::string& name, Kind kind, Mode mode,
                      std::chrono::milliseconds wait) {
    const auto [dir, table] = lockPlace(given, name);
    fd_ = openLockFile(dir, mode == Mode::Exclusive);
    if (fd_ < 0) return false;
    const off_t offset = lockOffset(table, kind);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(2);
    while (!setLock(fd_, offset, mode)) {
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return true;
}

bool FamilyLock::fileExists(const std::filesystem::path& dir) {
    struct stat st {};
    return ::lstat((dir / kLockFile).c_str(), &st) == 0 || errno != ENOENT;
}

FamilyLock::~FamilyLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the description releases its locks
}

FamilyLock::FamilyLock(FamilyLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FamilyLock& FamilyLock::operator=(FamilyLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

}  // namespace pdx
