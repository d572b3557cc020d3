// One output file of a table being written: lives under a private temporary name beside its
// final name until it is installed, and every file-system call goes through one hook first.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pdx {

// Called before every file-system call that creates, writes, renames or removes anything;
// throwing simulates an I/O error, and a test can end the process there to simulate a crash.
using WriteHook = std::function<void()>;

// The umask-respecting mode a newly created file gets (0666 less the process's umask).
mode_t newFileMode();

// Where a file ends up and what it looks like once complete.
struct FileTarget {
    FileTarget(std::filesystem::path p) : finalPath(std::move(p)) {}  // NOLINT: a plain path is a target
    FileTarget(std::filesystem::path p, mode_t m, uid_t u = static_cast<uid_t>(-1), gid_t g = static_cast<gid_t>(-1))
        : finalPath(std::move(p)), mode(m), owner(u), group(g) {}
    std::filesystem::path finalPath;
    mode_t mode = newFileMode();
    uid_t owner = static_cast<uid_t>(-1);  // -1: whoever writes it
    gid_t group = static_cast<gid_t>(-1);
};

class StagedFile {
public:
    // Creates a new file under a unique name beside the final one (O_EXCL, never following a
    // link), readable by its owner only until sync() gives it the target's mode.
    StagedFile(FileTarget target, WriteHook hook);
    ~StagedFile();  // closes the file and removes it unless installed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Appends through a large buffer; returns the file offset of the first byte.
    std::uint64_t append(const void* data, std::size_t size);
    std::uint64_t appendZeros(std::size_t size);
    // Overwrites bytes already appended (still buffered or already on disk).
    void patch(std::uint64_t offset, const void* data, std::size_t size);
    std::uint64_t size() const { return flushedSize_ + buffer_.size(); }
    // Reads back bytes already on disk (after flush()).
    void readAt(std::uint64_t offset, void* data, std::size_t size) const;

    void flush();
    // Flushes, gives the file its final mode (and owner, where allowed) and forces it to disk.
    void sync();
    // Renames the temporary file to its final name, refusing to replace an existing file.
    void install();
    // Undoes install() (used when a later file of the same table fails to install).
    void uninstall();
    // Someone else renamed the file into place: the destructor must leave it.
    void markInstalled() { installed_ = true; }

    const std::filesystem::path& tempPath() const { return tempPath_; }
    const std::filesystem::path& finalPath() const { return target_.finalPath; }
    std::uint64_t inode() const { return inode_; }

private:
    void writeAt(std::uint64_t offset, const void* data, std::size_t size);
    void call() const {
        if (hook_) hook_();
    }
    [[noreturn]] void fail(const std::string& what) const;

    FileTarget target_;
    std::filesystem::path tempPath_;
    WriteHook hook_;
    int fd_ = -1;
    std::uint64_t inode_ = 0;
    bool installed_ = false;
    std::uint64_t flushedSize_ = 0;
    std::vector<std::uint8_t> buffer_;
};

// A name for a temporary companion of `file`: file + marker + "-" + random hex. Never ends in ".db".
std::filesystem::path uniqueSibling(const std::filesystem::path& file, const std::string& marker);

// Renames `from` to `to` unless `to` exists; throws pdx::Error otherwise.
void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);
// Forces a folder's entries (new names, renames) to disk.
void syncFolder(const std::filesystem::path& dir);

}  // namespace pdx
