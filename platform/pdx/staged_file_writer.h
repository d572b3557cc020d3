// One output file of a table being written: lives under a temporary name beside its final
// name until install(), and every byte reaches the disk through one hooked write routine.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pdx {

// Called before every write to disk; throwing simulates an I/O error.
using WriteHook = std::function<void()>;

class StagedFile {
public:
    // Creates (or truncates) `finalPath` + suffix; the name never ends in ".db".
    StagedFile(std::filesystem::path finalPath, WriteHook hook, const std::string& suffix = ".vts-new");
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
    // Flushes and forces the data to disk.
    void sync();
    // Renames the temporary file to its final name, refusing to replace an existing file.
    void install();
    // Undoes install() (used when a later file of the same table fails to install).
    void uninstall();

    const std::filesystem::path& tempPath() const { return tempPath_; }
    const std::filesystem::path& finalPath() const { return finalPath_; }

private:
    void writeAt(std::uint64_t offset, const void* data, std::size_t size);
    [[noreturn]] void fail(const std::string& what) const;

    std::filesystem::path finalPath_;
    std::filesystem::path tempPath_;
    WriteHook hook_;
    int fd_ = -1;
    bool installed_ = false;
    std::uint64_t flushedSize_ = 0;
    std::vector<std::uint8_t> buffer_;
};

// Renames `from` to `to` unless `to` exists; throws pdx::Error otherwise.
void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);
// Forces a folder's entries (new names, renames) to disk.
void syncFolder(const std::filesystem::path& dir);

}  // namespace pdx
