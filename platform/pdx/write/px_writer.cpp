// Index tree: one level-1 entry per .db block (first key, block, record count, 0); upper
// levels built from the first entry of each lower block until one root remains. Blocks are
// numbered root first, then each lower level left to right, and chained 1 -> 2 -> ... -> m.
#include "platform/pdx/write/px_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/format/header_writer.h"

namespace pdx {

namespace {

// Block numbers and counts are 16-bit words stored like Short values (high bit flipped,
// big-endian); numbers above 32767 keep their unsigned meaning. Counts that outgrow the
// word (only possible in upper levels of huge tables) are capped.
void storeIndexWord(std::uint64_t v, std::uint8_t* p) {
    const auto w = static_cast<std::uint16_t>(std::min<std::uint64_t>(v, 0xFFFF) ^ 0x8000);
    p[0] = static_cast<std::uint8_t>(w >> 8);
    p[1] = static_cast<std::uint8_t>(w);
}

struct Level {
    std::vector<std::uint8_t> entries;  // flat, entrySize bytes each
    std::vector<std::uint64_t> counts;  // records under each entry
    std::size_t size() const { return counts.size(); }
};

std::size_t ceilDiv(std::size_t a, std::size_t b) { return (a + b - 1) / b; }

int levelsFor(std::size_t leafEntries, std::size_t perBlock) {
    int levels = 1;
    for (std::size_t n = leafEntries; n > perBlock; n = ceilDiv(n, perBlock)) ++levels;
    return levels;
}

// 2 KiB index blocks unless 4 KiB ones make the tree shallower.
int chooseBlockSizeKiB(std::size_t leafEntries, std::size_t entrySize) {
    const std::size_t c2 = recordsPerBlock<std::size_t>(2048, entrySize);
    const std::size_t c4 = recordsPerBlock<std::size_t>(4096, entrySize);
    if (c2 < 2) return 4;
    return levelsFor(leafEntries, c4) < levelsFor(leafEntries, c2) ? 4 : 2;
}

Level leafLevel(const PxSource& src, std::size_t entrySize) {
    Level l;
    const std::size_t n = src.recordCounts.size();
    l.entries.assign(n * entrySize, 0);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t* e = l.entries.data() + i * entrySize;
        std::memcpy(e, src.firstKeys.data() + i * src.keySize, src.keySize);
        storeIndexWord(i + 1, e + src.keySize);
        storeIndexWord(src.recordCounts[i], e + src.keySize + 2);
        storeIndexWord(0, e + src.keySize + 4);
        l.counts.push_back(src.recordCounts[i]);
    }
    return l;
}

// One entry per block of `child`, pointing at block firstBlock + group index.
Level parentLevel(const Level& child, std::size_t perBlock, std::size_t entrySize, std::size_t keySize,
                  std::size_t firstBlock) {
    Level l;
    const std::size_t groups = ceilDiv(child.size(), perBlock);
    l.entries.assign(groups * entrySize, 0);
    for (std::size_t g = 0; g < groups; ++g) {
        const std::size_t from = g * perBlock;
        const std::size_t to = std::min(child.size(), from + perBlock);
        std::uint64_t sum = 0;
        for (std::size_t i = from; i < to; ++i) sum += child.counts[i];
        std::uint8_t* e = l.entries.data() + g * entrySize;
        std::memcpy(e, child.entries.data() + from * entrySize, keySize);
        storeIndexWord(firstBlock + g, e + keySize);
        storeIndexWord(sum, e + keySize + 2);
        storeIndexWord(0, e + keySize + 4);
        l.counts.push_back(sum);
    }
    return l;
}

}  // namespace

void writePrimaryIndex(StagedFile& out, const PxSource& src) {
    const std::size_t entrySize = src.keySize + 6;
    const std::size_t leaves = src.recordCounts.size();
    PxHeaderFields h{src.keyFields, src.tableName, static_cast<std::uint16_t>(entrySize), 2, 0, 0, 0, src.sortOrder};
    h.fileType = src.fileType;
    h.versionByte = src.versionByte;
    if (leaves == 0) {
        const auto header = buildPxHeader(h);
        out.append(header.data(), header.size());
        return;
    }
    h.blockSizeKiB = chooseBlockSizeKiB(leaves, entrySize);
    const std::size_t blockSize = static_cast<std::size_t>(h.blockSizeKiB) * 1024;
    const std::size_t perBlock = recordsPerBlock(blockSize, entrySize);

    // Blocks per level, bottom up, to number them top down.
    std::vector<std::size_t> blocksAt{ceilDiv(leaves, perBlock)};
    while (blocksAt.back() > 1) blocksAt.push_back(ceilDiv(blocksAt.back(), perBlock));
    const std::size_t totalBlocks = [&] {
        std::size_t t = 0;
        for (auto b : blocksAt) t += b;
        return t;
    }();
    if (totalBlocks > 0xFFFF) throw Error("the primary index of " + src.tableName + " would need too many blocks");
    std::vector<std::size_t> firstBlockAt(blocksAt.size());  // first block number of each level
    std::size_t next = 1;
    for (std::size_t i = blocksAt.size(); i-- > 0;) {
        firstBlockAt[i] = next;
        next += blocksAt[i];
    }

    std::vector<Level> levels{leafLevel(src, entrySize)};
    for (std::size_t i = 1; i < blocksAt.size(); ++i)
        levels.push_back(parentLevel(levels[i - 1], perBlock, entrySize, src.keySize, firstBlockAt[i - 1]));

    h.levels = static_cast<int>(levels.size());
    h.blocks = static_cast<std::uint16_t>(totalBlocks);
    for (const Level& l : levels) h.numEntries += static_cast<std::uint32_t>(l.size());
    const auto header = buildPxHeader(h);
    out.append(header.data(), header.size());

    std::vector<std::uint8_t> block(blockSize);
    std::size_t number = 1;
    for (std::size_t li = levels.size(); li-- > 0;) {
        const Level& l = levels[li];
        for (std::size_t from = 0; from < l.size(); from += perBlock, ++number) {
            const std::size_t n = std::min(perBlock, l.size() - from);
            std::fill(block.begin(), block.end(), 0);
            storeLE16(static_cast<std::uint16_t>(number == totalBlocks ? 0 : number + 1), block.data());
            storeLE16(static_cast<std::uint16_t>(number - 1), block.data() + 2);
            storeLE16(static_cast<std::uint16_t>((n - 1) * entrySize), block.data() + 4);
            std::memcpy(block.data() + 6, l.entries.data() + from * entrySize, n * entrySize);
            out.append(block.data(), block.size());
        }
    }
}

}  // namespace pdx
