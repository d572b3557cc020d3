// Chain walk that reports instead of throwing.
#include "platform/pdx/check/check_chain.h"

#include <algorithm>
#include <string>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"

namespace pdx {

namespace {

constexpr std::uint64_t kBlockHeader = kBlockHeaderSize;

std::uint64_t blockOffset(const ChainLayout& l, std::uint64_t number) {
    return l.headerSize + (number - 1) * l.blockSize;
}

// Blocks the file holds, the last one possibly cut short (the engine writes only its records).
std::uint64_t physicalBlocks(const InputFile& file, const ChainLayout& l) {
    if (file.size() <= l.headerSize) return 0;
    return std::min<std::uint64_t>((file.size() - l.headerSize + l.blockSize - 1) / l.blockSize, 0xFFFF);
}

// Records in a block from its last-record offset, or -1 when the offset is impossible.
std::int64_t recordsFromLastOffset(const ChainLayout& l, std::uint16_t lastOff) {
    if (lastOff == static_cast<std::uint16_t>(0x10000 - l.recordSize)) return 0;
    const std::uint64_t capacity = recordsPerBlock<std::uint64_t>(l.blockSize, l.recordSize);
    if (lastOff % l.recordSize != 0 || lastOff / l.recordSize + 1 > capacity) return -1;
    return lastOff / l.recordSize + 1;
}

class ChainWalk {
public:
    ChainWalk(const InputFile& file, const ChainLayout& l, CheckFindings& out)
        : file_(file), l_(l), out_(out), physical_(physicalBlocks(file, l)), seen_(physical_ + 1, false) {}

    std::vector<CheckedBlock> run() {
        std::uint64_t previous = 0;
        std::uint64_t b = l_.firstBlock;
        if (b > physical_) {
            out_.fault(atFile(file_.path()), "the header (0x0E) names block " + std::to_string(b) +
                                                 " as the first, but the file holds " + std::to_string(physical_) +
                                                 " blocks");
            b = 0;
        }
        while (b != 0) {
            seen_[b] = true;
            const std::uint64_t next = visit(static_cast<std::uint16_t>(b), previous);
            previous = b;
            b = follow(static_cast<std::uint16_t>(b), next);
        }
        compareWithHeader();
        return std::move(chain_);
    }

private:
    // Reads block b's header, records it in the chain and returns its next pointer.
    std::uint64_t visit(std::uint16_t b, std::uint64_t previous) {
        std::uint8_t head[kBlockHeader];
        const std::uint64_t at = blockOffset(l_, b);
        if (file_.readAt(at, head, sizeof head) != sizeof head) {
            out_.fault(atBlock(file_.path(), b), "the file ends inside the block header");
            chain_.push_back(CheckedBlock{b, 0});
            return 0;
        }
        if (loadLE16(head + 2) != previous)
            out_.fault(atBlock(file_.path(), b), "the previous-block pointer says " +
                                                     std::to_string(loadLE16(head + 2)) +
                                                     ", but the chain comes from " +
                                                     (previous ? "block " + std::to_string(previous) : "the header"));
        chain_.push_back(CheckedBlock{b, readableRecords(b, at, loadLE16(head + 4))});
        return loadLE16(head);
    }

    std::uint32_t readableRecords(std::uint16_t b, std::uint64_t at, std::uint16_t lastOff) {
        const std::int64_t n = recordsFromLastOffset(l_, lastOff);
        if (n < 0) {
            const std::uint64_t capacity = recordsPerBlock<std::uint64_t>(l_.blockSize, l_.recordSize);
            out_.fault(atBlock(file_.path(), b),
                       "the record count in the block header is invalid (last-record offset " +
                           std::to_string(static_cast<std::int16_t>(lastOff)) + " with records of " +
                           std::to_string(l_.recordSize) + " bytes and room for " + std::to_string(capacity) +
                           "); its records are not counted");
            return 0;
        }
        const std::uint64_t end = at + kBlockHeader + static_cast<std::uint64_t>(n) * l_.recordSize;
        if (end <= file_.size()) return static_cast<std::uint32_t>(n);
        const std::uint64_t present =
            file_.size() > at + kBlockHeader ? (file_.size() - at - kBlockHeader) / l_.recordSize : 0;
        out_.fault(atBlock(file_.path(), b), "the file ends inside the block: " + std::to_string(present) + " of its " +
                                                 std::to_string(n) + " records are present");
        return static_cast<std::uint32_t>(present);
    }

    // The block to visit after b, or 0 when the chain ends or cannot go on.
    std::uint64_t follow(std::uint16_t b, std::uint64_t next) {
        if (next == 0) return 0;
        if (next > physical_) {
            out_.fault(atBlock(file_.path(), b), "the next-block pointer leads to block " + std::to_string(next) +
                                                     ", but the file holds " + std::to_string(physical_) +
                                                     " blocks; the chain is cut here");
            cut_ = true;
            return 0;
        }
        if (seen_[next]) {
            out_.fault(atBlock(file_.path(), b), "the next-block pointer leads back to block " + std::to_string(next) +
                                                     " (the chain loops); the chain is cut here");
            cut_ = true;
            return 0;
        }
        return next;
    }

    void compareWithHeader() {
        std::uint64_t total = 0;
        for (const CheckedBlock& c : chain_) total += c.records;
        if (total != l_.numRecords)
            out_.fault(atFile(file_.path()), "the header (0x06) counts " + std::to_string(l_.numRecords) +
                                                 " records, the block chain holds " + std::to_string(total));
        if (cut_) return;  // the block counts then differ only because of the cut
        if (chain_.size() != l_.usedBlocks)
            out_.fault(atFile(file_.path()), "the header (0x0A) counts " + std::to_string(l_.usedBlocks) +
                                                 " blocks in use, the block chain has " +
                                                 std::to_string(chain_.size()));
        const std::uint16_t last = chain_.empty() ? 0 : chain_.back().number;
        if (last != l_.lastBlock)
            out_.fault(atFile(file_.path()), "the header (0x10) names block " + std::to_string(l_.lastBlock) +
                                                 " as the last, the block chain ends at block " + std::to_string(last));
    }

    const InputFile& file_;
    const ChainLayout& l_;
    CheckFindings& out_;
    std::uint64_t physical_;
    std::vector<bool> seen_;
    std::vector<CheckedBlock> chain_;
    bool cut_ = false;
};

}  // namespace

std::vector<CheckedBlock> checkChain(const InputFile& file, const ChainLayout& layout, CheckFindings& out) {
    return ChainWalk(file, layout, out).run();
}

std::size_t readChainBlock(const InputFile& file, const ChainLayout& layout, std::uint16_t number,
                           std::vector<std::uint8_t>& buf, std::size_t need) {
    buf.resize(need);
    return file.readAt(blockOffset(layout, number), buf.data(), need);
}

}  // namespace pdx
