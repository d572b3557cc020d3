// A read-only regular file read at explicit offsets (no shared file position), optionally seen
// through the unscrambling of a password-protected table's family.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

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

    // From now on reads return what the engine wrote before it scrambled the file with `key`:
    // the blocks after the header of a .db, .PX, .Xnn or .Ynn (Blocks; the header stays plain), or
    // every byte of a .MB (Blob). A piece of 256 bytes the file cuts short reads as missing.
    // Throws pdx::Error when the header gives no block size.
    enum class Scrambled { Blocks, Blob };
    void unscramble(std::uint32_t key, Scrambled kind);

private:
    struct Piece {
        std::uint64_t start = 0;
        std::uint64_t size = 0;
        std::uint32_t block = 0;  // 0: not a block
    };
    Piece pieceAt(std::uint64_t offset) const;
    std::size_t readPlain(std::uint64_t offset, void* buf, std::size_t len) const;
    std::size_t readUnscrambled(std::uint64_t offset, void* buf, std::size_t len) const;

    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint32_t key_ = 0;
    Scrambled kind_ = Scrambled::Blocks;
    std::uint64_t headerSize_ = 0;
    std::uint64_t blockSize_ = 0;
    mutable std::vector<std::uint8_t> scratch_;
};

}  // namespace pdx
