// Chain walk and block window.
#include "platform/pdx/read/block_chain.h"

#include <algorithm>
#include <string>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/protect/table_cipher.h"

namespace pdx {

namespace {

constexpr std::size_t kBlockHeader = kBlockHeaderSize;
constexpr std::size_t kWindow = 256 * 1024;

std::uint64_t blockOffset(const TableHeader& h, std::uint64_t number) {
    return static_cast<std::uint64_t>(h.headerSize) + (number - 1) * static_cast<std::uint64_t>(h.blockSize());
}

// Records in a block from its last-record offset; -recordSize (as u16) marks an empty block.
int recordsInBlock(const TableHeader& h, std::uint16_t lastOff, int number) {
    const int rs = h.recordSize;
    if (lastOff == static_cast<std::uint16_t>(0x10000 - rs)) return 0;
    const int capacity = recordsPerBlock(h.blockSize(), rs);
    if (lastOff % rs != 0 || lastOff / rs + 1 > capacity)
        throw Error("block " + std::to_string(number) + " is damaged (last record offset " + std::to_string(lastOff) +
                    ")");
    return lastOff / rs + 1;
}

}  // namespace

std::vector<ChainBlock> walkChain(const InputFile& file, const TableHeader& h, BlockSource& blocks) {
    std::vector<ChainBlock> chain;
    const std::uint64_t dataBytes =
        file.size() > static_cast<std::uint64_t>(h.headerSize) ? file.size() - h.headerSize : 0;
    const std::uint64_t blockSize = static_cast<std::uint64_t>(h.blockSize());
    const std::uint64_t physical = (dataBytes + blockSize - 1) / blockSize;
    std::vector<bool> seen(static_cast<std::size_t>(std::min<std::uint64_t>(physical, 0xFFFF)) + 1, false);
    std::uint64_t total = 0;
    for (std::uint64_t b = static_cast<std::uint64_t>(h.firstBlock); b != 0;) {
        if (b > physical)
            throw Error("the block chain points to block " + std::to_string(b) + " but the file holds " +
                        std::to_string(physical) + " blocks");
        if (seen[b]) throw Error("the block chain loops back to block " + std::to_string(b));
        seen[b] = true;
        const std::uint64_t at = blockOffset(h, b);
        const std::uint8_t* head = blocks.block(static_cast<std::uint16_t>(b), kBlockHeader);
        const int records = recordsInBlock(h, loadLE16(head + 4), static_cast<int>(b));
        if (at + kBlockHeader + static_cast<std::uint64_t>(records) * h.recordSize > file.size())
            throw Error("block " + std::to_string(b) + " is cut short: the file ends inside its records");
        chain.push_back(ChainBlock{static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(records)});
        total += static_cast<std::uint64_t>(records);
        b = loadLE16(head);
    }
    if (total != h.numRecords)
        throw Error("the table is damaged: the header counts " + std::to_string(h.numRecords) +
                    " records, its blocks hold " + std::to_string(total));
    return chain;
}

BlockSource::BlockSource(const InputFile& file, const TableHeader& h)
    : file_(file),
      key_(h.key),
      headerSize_(static_cast<std::uint64_t>(h.headerSize)),
      blockSize_(static_cast<std::uint64_t>(h.blockSize())),
      window_(std::max<std::size_t>(kWindow / blockSize_, 1) * blockSize_) {}

const std::uint8_t* BlockSource::block(std::uint16_t number, std::size_t need) {
    const std::uint64_t at = headerSize_ + (static_cast<std::uint64_t>(number) - 1) * blockSize_;
    if (windowLen_ == 0 || at < windowStart_ || at + need > windowStart_ + windowLen_) {
        windowLen_ = 0;
        windowStart_ = at;
        windowLen_ = file_.readAt(at, window_.data(), window_.size());
        if (key_) windowLen_ = unscrambleWindow(number);
        if (windowLen_ < need) throw Error("block " + std::to_string(number) + " is cut short");
    }
    return window_.data() + (at - windowStart_);
}

// Scrambling works on whole 256-byte pieces: a piece the file cuts short counts as missing.
std::size_t BlockSource::unscrambleWindow(std::uint16_t first) {
    for (std::size_t at = 0; at < windowLen_; at += blockSize_) {
        const std::size_t len = std::min<std::size_t>(blockSize_, windowLen_ - at) / 256 * 256;
        if (len) decryptBlock({window_.data() + at, len}, key_, first + static_cast<std::uint32_t>(at / blockSize_));
        if (len < blockSize_) return at + len;
    }
    return windowLen_;
}

}  // namespace pdx
