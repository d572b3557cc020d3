// Lays fixed-size records into the chained blocks of a .db file, streaming them to disk.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/pdx/format/header.h"
#include "platform/pdx/io/staged_file_writer.h"

namespace pdx {

class BlockWriter {
public:
    static constexpr int kMaxBlocks = 0xFFFF;  // block numbers are u16

    // The file starts with headerSize zero bytes for the header, patched in later. When the
    // table outgrows maxBlocks blocks of 2 KiB it is re-laid in 4 KiB blocks.
    BlockWriter(FileTarget target, WriteHook hook, std::uint16_t headerSize, int recordSize, int blockSizeKiB,
                int maxBlocks = kMaxBlocks);

    void add(const std::uint8_t* record);
    // Writes the last block; no record may follow.
    void finish();

    // Records a block of this size holds.
    static int capacity(int blockSizeKiB, int recordSize) { return recordsPerBlock(blockSizeKiB * 1024, recordSize); }
    int blockSizeKiB() const { return blockSize_ / 1024; }
    std::uint32_t records() const { return records_; }
    std::uint16_t blocks() const { return static_cast<std::uint16_t>(blocks_); }
    StagedFile& file() { return *file_; }

private:
    void emitBlock(bool last);
    void widen();

    FileTarget target_;
    WriteHook hook_;
    std::uint16_t headerSize_;
    int recordSize_;
    int blockSize_;
    int capacity_;
    int maxBlocks_;
    std::unique_ptr<StagedFile> file_;
    std::vector<std::uint8_t> block_;
    int inBlock_ = 0;  // records in block_
    int blocks_ = 0;   // blocks written to file_
    std::uint32_t records_ = 0;
};

}  // namespace pdx
