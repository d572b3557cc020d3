// Reads the values that a table keeps in its .MB file (memo, binary, formatted memo, OLE,
// graphic), checking every locator, length and slot against the file before reading.
#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/pdx/io/input_file.h"

namespace pdx {

class BlobReader {
public:
    // mbFile: the table's .MB as found on disk, or nullopt when there is none (the first value
    // that needs it then throws, naming expectedName).
    BlobReader(std::optional<std::filesystem::path> mbFile, std::string expectedName);
    // The key of a password-protected table: its .MB is unscrambled as it is read.
    void setKey(std::uint32_t key) { key_ = key; }

    // The length bytes of the value at locator (the record's blob descriptor). Throws pdx::Error
    // naming the .MB file when it is missing or the locator does not lead to exactly that value.
    void read(std::uint32_t locator, std::uint32_t length, std::vector<std::uint8_t>& out);
    void read(std::uint32_t locator, std::uint32_t length, std::string& out);

private:
    struct Span {
        std::uint64_t offset = 0;              // data position in the file
        const std::uint8_t* cached = nullptr;  // or the data inside the cached block
    };
    Span locate(std::uint32_t locator, std::uint32_t length);
    Span locateSingle(std::uint64_t base, std::uint32_t index, std::uint32_t length);
    Span locateSlot(std::uint64_t base, std::uint32_t index, std::uint32_t length);
    void copy(const Span& span, std::uint32_t length, void* dest);
    // file().readAt, unscrambled for a protected table; returns the bytes read.
    std::size_t readPlain(std::uint64_t offset, void* dest, std::size_t length);
    const InputFile& file();
    [[noreturn]] void fail(const std::string& what) const;

    std::optional<std::filesystem::path> path_;
    std::string expectedName_;
    std::optional<InputFile> file_;
    std::uint32_t key_ = 0;
    std::vector<std::uint8_t> scratch_;
    std::uint64_t cachedBase_ = 0;  // 0 = nothing cached (block 0 is the header)
    std::array<std::uint8_t, 4096> cache_{};
};

}  // namespace pdx
