// The record blocks of a table: walking the chain once (exact record count, loop and range
// checks) and reading block contents through a bounded read-ahead window.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/pdx/format/header.h"
#include "platform/pdx/io/input_file.h"

namespace pdx {

struct ChainBlock {
    std::uint16_t number = 0;  // 1-based block number
    std::uint16_t records = 0;
};

// Reads blocks through one window of at least 256 KiB, so consecutive blocks cost one read.
// Blocks of a password-protected table (h.key) are unscrambled as they are read.
class BlockSource {
public:
    BlockSource(const InputFile& file, const TableHeader& h);
    // Pointer to the first `need` bytes of block `number`; valid until the next call.
    const std::uint8_t* block(std::uint16_t number, std::size_t need);

private:
    std::size_t unscrambleWindow(std::uint16_t first);

    const InputFile& file_;
    std::uint32_t key_;
    std::uint64_t headerSize_;
    std::uint64_t blockSize_;
    std::vector<std::uint8_t> window_;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLen_ = 0;
};

// Follows the chain from the header's first block. Throws pdx::Error (without the file name)
// for a loop, a block number outside the file, a damaged block header, a block cut short, or
// a record total that differs from the header's count (records would silently go missing).
std::vector<ChainBlock> walkChain(const InputFile& file, const TableHeader& h, BlockSource& blocks);

}  // namespace pdx
