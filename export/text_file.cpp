#include "export/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/pdx/io/staged_file_writer.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
    throw Error(what + " \"" + path + "\": " + std::strerror(err));
}

// The file a chain of symbolic links ends at (which need not exist yet); the name itself when it
// is no link. A loop of links is an error, as opening it would be. Only the user's own links are
// followed, as the table's write-back does: on a shared folder, someone else's link named like
// the export would make the export replace whatever file they chose.
std::string followLinks(const std::string& fileName) {
    namespace fs = std::filesystem;
    fs::path path = fileName;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path.string();
        if (st.st_uid != ::geteuid())
            throw Error("The file \"" + path.string() +
                        "\" is a link that another user made, so the export does not follow it: choose another "
                        "name.");
        std::error_code ec;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) fail("Cannot follow the link", path.string(), ec.value());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    fail("Cannot follow the link", fileName, ELOOP);
}

}  // namespace

// Owns the temporary file until it has been renamed into place; removes it otherwise.
class TextFileWriter::TempFile {
public:
    explicit TempFile(const std::string& target) : target_(target) {
        const std::string dir = std::filesystem::path(target).parent_path().string();
        std::random_device seed;
        std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[24];
            std::snprintf(suffix, sizeof suffix, ".vts-%012llx.tmp",
                          static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
            path_ = (dir.empty() ? std::string() : dir + "/") + suffix;
            // O_EXCL: never reuse or follow anything already there. Private until complete: the
            // rows are the user's data, and the folder may be shared.
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd_ >= 0) return;
            if (errno != EEXIST) fail("Cannot create the file", target, errno);
        }
        fail("Cannot create the file", target, EEXIST);
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& target() const { return target_; }

    void write(const char* data, size_t size, const std::string& target) {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) fail("Cannot write the file", target, errno);
            data += n;
            size -= static_cast<size_t>(n);
        }
    }
    // Takes over the permission bits of the file being replaced, as a rewrite in place would;
    // a new file gets what the umask allows.
    void keepModeOf(const std::string& target) {
        struct stat st {};
        const bool replaces = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
        if (::fchmod(fd_, replaces ? st.st_mode & 07777 : pdx::newFileMode()) != 0)
            fail("Cannot write the file", target, errno);
    }
    void commit(const std::string& target) {
        if (::fsync(fd_) != 0) fail("Cannot write the file", target, errno);
        const int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0) fail("Cannot write the file", target, errno);
        if (::rename(path_.c_str(), target.c_str()) != 0) fail("Cannot replace the file", target, errno);
        path_.clear();
    }

private:
    std::string target_;
    std::string path_;
    int fd_ = -1;
};

TextFileWriter::TextFileWriter(std::string fileName) : fileName_(std::move(fileName)) {
    text_.reserve(kChunk + kChunk / 4);  // a chunk and the row that fills it, without regrowing
}

TextFileWriter::~TextFileWriter() = default;

TextFileWriter::TempFile& TextFileWriter::file() {
    if (!file_) {
        if (fileName_.empty()) throw Error("No file name was given.");
        // A name that is a symbolic link: the file it points to gets the text, the link stays.
        file_ = std::make_unique<TempFile>(followLinks(fileName_));
    }
    return *file_;
}

void TextFileWriter::drain() {
    if (!failed_) {
        try {
            file().write(text_.data(), text_.size(), fileName_);
        } catch (const Error&) {
            failed_ = std::current_exception();
        }
    }
    text_.clear();
}

void TextFileWriter::save() {
    if (failed_) std::rethrow_exception(failed_);
    TempFile& out = file();
    text_ += "\r\n";
    out.write(text_.data(), text_.size(), fileName_);
    text_.clear();
    out.keepModeOf(out.target());
    out.commit(out.target());
    file_.reset();
}

}  // namespace vts
