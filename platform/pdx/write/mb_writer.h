// The .MB blob file of a table being written: values over 2 KiB in their own blocks,
// smaller ones packed 64 to a sub-allocated block. Data streams to disk as values arrive.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/pdx/io/staged_file_writer.h"

namespace pdx {

class MbWriter {
public:
    static constexpr std::size_t kBlock = 4096;
    static constexpr std::size_t kSmallLimit = 2048;  // larger values get a type-2 block
    static constexpr int kSlots = 64;
    static constexpr int kFirstChunk = 21;  // data of a type-3 block starts at 21 * 16 = 0x150
    static constexpr int kChunks = 256;
    static constexpr std::uint16_t kModNumber = 1;

    MbWriter(FileTarget target, WriteHook hook);

    // Stores one value (length > 0) and returns its locator: block offset | slot (0xFF for a
    // type-2 block). Throws pdx::Error when the value or the file outgrows the format.
    std::uint32_t put(const std::uint8_t* data, std::size_t size);
    // Writes the pending sub-allocated block and flushes.
    void finish();
    StagedFile& file() { return file_; }

private:
    std::uint32_t putLarge(const std::uint8_t* data, std::size_t size);
    std::uint32_t putSmall(const std::uint8_t* data, std::size_t size);
    void openSmallBlock();
    void closeSmallBlock();
    std::uint32_t checkedOffset(std::uint64_t offset) const;

    StagedFile file_;
    std::vector<std::uint8_t> small_;  // the open type-3 block, empty when none
    std::uint64_t smallAt_ = 0;        // its reserved place in the file
    int nextSlot_ = 0;                 // slots are filled from 63 down
    int nextChunk_ = 0;                // data from chunk 21 up
};

}  // namespace pdx
