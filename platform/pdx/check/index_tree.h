// Index tree files (.PX over a table, .Ynn/.YGn over a secondary index's .Xnn/.XGn): their
// header, and a check of the whole tree against the blocks of the file it indexes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/pdx/check/check_findings.h"
#include "platform/pdx/io/input_file.h"

namespace pdx {

struct IndexTreeHeader {
    int recordSize = 0;  // key bytes + 6
    int headerSize = 0;
    int fileType = 0;  // 1 .PX, 4 .Ynn, 7 .YGn
    int blockSizeKiB = 0;
    std::uint32_t numEntries = 0;  // entries on all levels
    int root = 0;
    int levels = 0;
    int keyFieldCount = 0;  // 0x21
    int sortOrder = 0;
    int versionByte = 0;
    std::uint32_t key = 0;                     // 0x25: the password key that scrambles the blocks; 0 when plain
    std::vector<std::uint8_t> keyDescriptors;  // type, size byte pairs at 0x58

    std::uint64_t blockSize() const { return static_cast<std::uint64_t>(blockSizeKiB) * 1024; }
    std::size_t keySize() const { return static_cast<std::size_t>(recordSize) - 6; }
};

// Reads the header of an index tree file from its first bytes; throws pdx::Error (without the
// file name) when they cannot be one.
IndexTreeHeader parseIndexTreeHeader(const std::uint8_t* bytes, std::size_t size);

// A block of the indexed file's chain, as the tree's level-1 entries must describe it.
struct IndexedBlock {
    std::uint16_t number = 0;
    std::uint32_t records = 0;
    std::string firstKey;  // key bytes of its first record (empty for an empty block)
};

struct IndexTreeTarget {
    std::filesystem::path file;        // the indexed file
    std::vector<IndexedBlock> blocks;  // its chain, in chain order
    bool byteOrder = true;             // keys ascend by their bytes (otherwise only equality is checked)
    std::function<std::string(const std::string& key)> keyText;  // a key for messages
};

// Checks every block reachable from the root: entry counts, ascending keys, each upper entry
// against the first key and the record total of its child, each level-1 entry against the
// first key and record count of the block it points at, every non-empty indexed block covered
// exactly once, and the header's entry count. Never follows a block twice.
void checkIndexTree(const InputFile& index, const IndexTreeHeader& h, const IndexTreeTarget& target,
                    CheckFindings& out);

}  // namespace pdx
