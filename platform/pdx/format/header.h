// Parsing and checking the header of a Paradox table file (.db), levels 3.0 to 7.x.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pdx/format/types.h"

namespace pdx {

// Bytes a field takes in a record (BCD: 17 whatever its decimals).
int fieldStorageSize(FieldType type, int size);

struct HeaderField {
    FieldType type = FieldType::Alpha;
    int size = 0;         // descriptor size byte
    int storedSize = 0;   // bytes in the record
    int offset = 0;       // from the start of the record
    std::string rawName;  // in the table's code page
};

struct TableHeader {
    int recordSize = 0;
    int headerSize = 0;
    int fileType = 0;
    int blockSizeKiB = 0;
    std::uint32_t numRecords = 0;
    int usedBlocks = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
    int lastBlock = 0;
    int versionByte = 0;
    int keyFields = 0;
    int sortOrder = 0;
    std::uint8_t changeCount2 = 0;
    std::uint32_t autoIncCounter = 0;  // 0x49: the highest autoincrement value handed out
    bool needsRebuild = false;         // 0x14 or 0x2A set: the engine wants the table rebuilt
    std::uint32_t key = 0;             // password protection: the key that scrambles the blocks
    bool hasCodePage = false;          // 3.x tables store none
    int codePage = 0;                  // 0x6A when hasCodePage
    std::string sortOrderId;           // item 7 of the variable part ("" for 3.x)
    std::vector<HeaderField> fields;

    int blockSize() const { return blockSizeKiB * 1024; }
};

// The fixed header every file of a family begins with: the bytes needed before the header size is
// known. Level-4+ data files (.DB, .Xnn, .XGn) go on with the level-4+ area, and their variable
// part starts after it; the others' variable part starts right here.
constexpr std::size_t kFixedHeaderSize = 0x58;
constexpr std::size_t kLevel4VariableStart = 0x78;
// Where the level-4+ area begins; offsets stored in it (0x66, 0x68, 0x6E) count from here.
constexpr std::size_t kLevel4Area = kFixedHeaderSize;

// Every block of a table or an index begins with its next and previous block numbers and the
// offset of its last record.
constexpr std::size_t kBlockHeaderSize = 6;
// Records (or index entries) of recordSize bytes that a block of blockSize bytes holds.
template <class N>
constexpr N recordsPerBlock(N blockSize, N recordSize) {
    return (blockSize - static_cast<N>(kBlockHeaderSize)) / recordSize;
}

// Parses and checks the header held in bytes[0, size) (the file's start, at least headerSize
// bytes when the file has them). Throws pdx::Error describing the fault (without the file name);
// a password-protected table throws kPasswordMessage unless `protectedOk`, which gives its key.
TableHeader parseTableHeader(const std::uint8_t* bytes, std::size_t size, bool protectedOk = false);

// The code page of the table's text: its header's, or the DOS default for a 3.x table.
int effectiveCodePage(const TableHeader& h);

inline constexpr const char* kPasswordMessage = "the table is password-protected: its password is needed to open it";

}  // namespace pdx
