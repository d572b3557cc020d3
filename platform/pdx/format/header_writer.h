// Header bytes of a level 3, 4, 5 or 7 table (.db) and of its primary index (.PX).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pdx/format/types.h"

namespace pdx {

constexpr std::uint8_t kLevel5Version = 0x0B;
constexpr std::uint8_t kLevel7Version = 0x0C;
constexpr std::size_t kTableNameArea = 79;  // 261 bytes at level 7; names are kept below 79 bytes for all

// The version byte (0x39) a table is written with: `wanted` (the table it replaces; 0 for a new
// table) where that level holds every field type of `schema`, else level 5. Level 3 (0x03, 0x04)
// only for a table without secondary indexes or password (`plain`), whose index and scrambling
// layouts at that level no engine file at hand shows.
std::uint8_t writtenVersion(std::uint8_t wanted, const Schema& schema, bool plain);

struct DbHeaderFields {
    const Schema* schema = nullptr;
    std::vector<std::string> fieldNames;  // in the table's code page
    std::string tableName;                // in the table's code page, e.g. "CUSTOMER.db", < 79 bytes
    std::uint16_t recordSize = 0;
    int blockSizeKiB = 2;
    std::uint32_t numRecords = 0;
    std::uint16_t blocks = 0;
    std::uint32_t autoInc = 0;      // last value given to an AutoInc field
    std::uint8_t changeCount2 = 1;  // the stamp a .VAL refers to
    std::uint32_t updateTime = 0;   // Unix seconds
    std::uint8_t versionByte = kLevel5Version;
};

// Offset of block 1: the header items rounded up to whole 2 KiB units.
std::size_t dbHeaderSize(const DbHeaderFields& h);
std::vector<std::uint8_t> buildDbHeader(const DbHeaderFields& h);

constexpr std::uint8_t kDbChangeCount1 = 1;  // .db 0x2D, repeated in .PX 0x2C

struct PxHeaderFields {
    std::vector<Field> keyFields;
    std::string tableName;         // "CUSTOMER.PX"
    std::uint16_t recordSize = 0;  // key bytes + 6
    int blockSizeKiB = 2;
    std::uint32_t numEntries = 0;  // entries on all levels
    std::uint16_t blocks = 0;
    int levels = 0;
    int sortOrder = 0;
    std::uint8_t fileType = 1;  // 1 .PX, 4 .Ynn, 7 .YGn
    std::uint8_t versionByte = kLevel5Version;
};

constexpr std::uint16_t kPxHeaderSize = 0x800;
std::vector<std::uint8_t> buildPxHeader(const PxHeaderFields& h);

}  // namespace pdx
