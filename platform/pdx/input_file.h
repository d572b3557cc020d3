// A read-only regular file read at explicit offsets (no shared file position).
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace pdx {

class InputFile {
public:
    // Throws pdx::Error naming the file when it cannot be opened or is not a regular file.
    explicit InputFile(const std::filesystem::path& file);
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::uint64_t size() const { return size_; }
    // Reads up to len bytes at offset; returns the count read (short only at the end of file).
    std::size_t readAt(std::uint64_t offset, void* buf, std::size_t len) const;

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace pdx
