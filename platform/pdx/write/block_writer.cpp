// Record blocks: 6-byte header (next, previous, offset of the last record), records packed
// from byte 6, unused tail zeroed; blocks 1..m chained in order, no free blocks.
#include "platform/pdx/write/block_writer.h"

#include <cstring>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/types.h"

namespace pdx {

BlockWriter::BlockWriter(FileTarget target, WriteHook hook, std::uint16_t headerSize, int recordSize, int blockSizeKiB,
                         int maxBlocks)
    : target_(std::move(target)),
      hook_(std::move(hook)),
      headerSize_(headerSize),
      recordSize_(recordSize),
      blockSize_(blockSizeKiB * 1024),
      capacity_(capacity(blockSizeKiB, recordSize)),
      maxBlocks_(maxBlocks),
      file_(std::make_unique<StagedFile>(target_, hook_)),
      block_(static_cast<std::size_t>(blockSize_), 0) {
    if (capacity_ < 1)
        throw Error("internal error: records of " + std::to_string(recordSize) + " bytes exceed a block");
    file_->appendZeros(headerSize_);
}

void BlockWriter::add(const std::uint8_t* record) {
    if (inBlock_ == capacity_) {
        if (blocks_ + 2 > maxBlocks_) {
            widen();
            add(record);
            return;
        }
        emitBlock(false);
    }
    std::memcpy(block_.data() + 6 + static_cast<std::size_t>(inBlock_) * recordSize_, record, recordSize_);
    ++inBlock_;
    ++records_;
}

void BlockWriter::finish() {
    if (inBlock_ > 0) emitBlock(true);
    file_->flush();
}

void BlockWriter::emitBlock(bool last) {
    const int number = blocks_ + 1;
    std::uint8_t* h = block_.data();
    storeLE16(static_cast<std::uint16_t>(last ? 0 : number + 1), h);
    storeLE16(static_cast<std::uint16_t>(number - 1), h + 2);
    storeLE16(static_cast<std::uint16_t>((inBlock_ - 1) * recordSize_), h + 4);
    const std::size_t used = 6 + static_cast<std::size_t>(inBlock_) * recordSize_;
    std::memset(block_.data() + used, 0, block_.size() - used);
    file_->append(block_.data(), block_.size());
    ++blocks_;
    inBlock_ = 0;
}

// Too many records for 2 KiB blocks: copy what is written so far into 4 KiB blocks.
void BlockWriter::widen() {
    if (blockSize_ != 2048)
        throw Error("the table " + target_.finalPath.filename().string() +
                    " has more records than a Paradox table can hold");
    file_->flush();
    std::unique_ptr<StagedFile> old = std::move(file_);
    std::vector<std::uint8_t> pending = std::move(block_);
    const int oldBlocks = blocks_;
    const int oldSize = blockSize_;

    blockSize_ = 4096;
    capacity_ = capacity(4, recordSize_);
    file_ = std::make_unique<StagedFile>(target_, hook_);
    file_->appendZeros(headerSize_);
    block_.assign(static_cast<std::size_t>(blockSize_), 0);
    blocks_ = 0;
    inBlock_ = 0;
    records_ = 0;

    std::vector<std::uint8_t> buf(static_cast<std::size_t>(oldSize));
    for (int b = 0; b < oldBlocks; ++b) {
        old->readAt(headerSize_ + static_cast<std::uint64_t>(b) * oldSize, buf.data(), buf.size());
        const int count = static_cast<std::int16_t>(loadLE16(buf.data() + 4)) / recordSize_ + 1;
        for (int i = 0; i < count; ++i) add(buf.data() + 6 + static_cast<std::size_t>(i) * recordSize_);
    }
    const int pendingCount = recordsPerBlock(oldSize, recordSize_);  // the old last block was full
    for (int i = 0; i < pendingCount; ++i) add(pending.data() + 6 + static_cast<std::size_t>(i) * recordSize_);
}

}  // namespace pdx
