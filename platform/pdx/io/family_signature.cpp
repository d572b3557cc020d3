#include "platform/pdx/io/family_signature.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/pdx/io/family.h"
#include "platform/pdx/format/fnv1a.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

[[noreturn]] void fail(const std::filesystem::path& file, const char* what) {
    throw Error(file.string() + ": cannot " + what + ": " + std::strerror(errno));
}

// Only to see a change that kept size and time.
std::uint64_t checksum(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail(file, "open");
    std::uint64_t h = kFnvStart;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            fail(file, "read");
        }
        if (n == 0) break;
        h = fnv1a(std::string_view(buffer.data(), static_cast<std::size_t>(n)), h);
    }
    ::close(fd);
    return h;
}

// The file's attributes as its file server has them now (a linked file: where it points). On a
// network share stat() may answer from a cache for seconds and hide another machine's save; a
// forced statx asks the server, and opens nothing. Where statx is missing, stat() it is.
struct stat statNow(const std::filesystem::path& file) {
    struct stat st {};
    struct statx sx {};
    if (::statx(AT_FDCWD, file.c_str(), AT_STATX_FORCE_SYNC, STATX_BASIC_STATS, &sx) != 0) {
        if (errno != ENOSYS) fail(file, "look at");
        if (::stat(file.c_str(), &st) != 0) fail(file, "look at");
        return st;
    }
    st.st_mode = sx.stx_mode;
    st.st_size = static_cast<off_t>(sx.stx_size);
    st.st_mtim = {sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
    st.st_ctim = {sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec};
    st.st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    st.st_ino = sx.stx_ino;
    return st;
}

// Besides each file's kind, size and time: the .db's checksum (what is stored, so it stays as it
// is), or each file's identity and status-change time, which no one can set back.
enum class Detail { Checksum, Identity };

std::string describe(const std::filesystem::path& dir, const std::string& name, Detail detail) {
    std::string out;
    for (const auto& file : findFamily(dir, name)) {
        const struct stat st = statNow(file);
        std::string kind = file.extension().string();
        for (char& c : kind) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        out += kind + " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
               std::to_string(st.st_mtim.tv_nsec);
        if (detail == Detail::Checksum && kind == ".DB") out += " " + std::to_string(checksum(file));
        if (detail == Detail::Identity)
            out += " " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + " " +
                   std::to_string(st.st_ctim.tv_sec) + "." + std::to_string(st.st_ctim.tv_nsec);
        out += ";";
    }
    return out;
}

}  // namespace

std::string familySignature(const std::filesystem::path& dir, const std::string& name) {
    return describe(dir, name, Detail::Checksum);
}

std::string familyStamp(const std::filesystem::path& dir, const std::string& name) {
    return describe(dir, name, Detail::Identity);
}

}  // namespace pdx
