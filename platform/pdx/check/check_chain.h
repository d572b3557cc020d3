// The block chain of a table-like file (.db, .Xnn), walked without trusting it: every fault is
// reported and the walk goes on with what can still be read.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/pdx/check/check_findings.h"
#include "platform/pdx/io/input_file.h"

namespace pdx {

// The fixed-header values the walk needs.
struct ChainLayout {
    std::uint64_t headerSize = 0;
    std::uint64_t blockSize = 0;
    std::uint64_t recordSize = 0;  // > 0 and <= blockSize - 6
    std::uint32_t numRecords = 0;  // 0x06
    std::uint16_t usedBlocks = 0;  // 0x0A
    std::uint16_t firstBlock = 0;  // 0x0E
    std::uint16_t lastBlock = 0;   // 0x10
};

// A block of the chain with the records that can be read from it.
struct CheckedBlock {
    std::uint16_t number = 0;
    std::uint32_t records = 0;
};

// Reports loops, block numbers outside the file, wrong back pointers, bad record counts in
// block headers, blocks cut short and header counts that disagree with the chain.
std::vector<CheckedBlock> checkChain(const InputFile& file, const ChainLayout& layout, CheckFindings& out);

// Calls fn(block, indexInBlock (0-based), row (1-based), recordBytes) for every record of the
// chain, reading each block once.
template <class Fn>
void forEachRecord(const InputFile& file, const ChainLayout& layout, const std::vector<CheckedBlock>& chain, Fn&& fn);

// Reads the first `need` bytes of block `number` into buf; returns the bytes read.
std::size_t readChainBlock(const InputFile& file, const ChainLayout& layout, std::uint16_t number,
                           std::vector<std::uint8_t>& buf, std::size_t need);

template <class Fn>
void forEachRecord(const InputFile& file, const ChainLayout& layout, const std::vector<CheckedBlock>& chain, Fn&& fn) {
    std::vector<std::uint8_t> buf;
    std::uint64_t row = 0;
    for (const CheckedBlock& b : chain) {
        if (b.records == 0) continue;
        const std::size_t need = 6 + static_cast<std::size_t>(b.records * layout.recordSize);
        if (readChainBlock(file, layout, b.number, buf, need) < need) continue;  // the walk counted what is there
        for (std::uint32_t i = 0; i < b.records; ++i) fn(b, i, ++row, buf.data() + 6 + i * layout.recordSize);
    }
}

}  // namespace pdx
