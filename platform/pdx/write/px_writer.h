// The primary index (.PX) of a keyed table, built from the finished .db blocks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pdx/io/staged_file_writer.h"
#include "platform/pdx/format/types.h"

namespace pdx {

struct PxSource {
    std::vector<Field> keyFields;
    std::string tableName;  // "CUSTOMER.PX" in the table's code page
    int sortOrder = 0;
    std::size_t keySize = 0;                  // bytes of the key fields
    std::vector<std::uint8_t> firstKeys;      // per .db block: key bytes of its first record
    std::vector<std::uint32_t> recordCounts;  // per .db block
    std::uint8_t fileType = 1;                // 1 .PX; the same tree over an index table: 4 .Ynn, 7 .YGn
    std::uint8_t versionByte = 0x0B;          // the table's
};

// Largest key the index can hold (at least two entries per 4 KiB index block).
constexpr std::size_t kMaxKeySize = (4096 - 6) / 2 - 6;

// Writes header and index blocks into an empty file.
void writePrimaryIndex(StagedFile& out, const PxSource& src);

}  // namespace pdx
