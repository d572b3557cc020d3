// The secondary indexes of a table (.Xnn/.Ynn single-field, .XGn/.YGn named or composite): what
// defines each one, and the entries an existing one holds, so they can be written again.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/pdx/format/sort_order.h"
#include "platform/pdx/format/types.h"

namespace pdx {

// Byte 0x55 of an index table: option bits as the engine stores them.
constexpr std::uint8_t kIndexCaseInsensitive = 0x01;
constexpr std::uint8_t kIndexDescending = 0x10;
constexpr std::uint8_t kIndexUnique = 0x20;

struct SecondaryIndexDef {
    std::filesystem::path xFile;    // the index table as found (.Xnn / .XGn)
    std::filesystem::path yFile;    // its tree (.Ynn / .YGn)
    std::string extension;          // as on disk, without the dot: "X06", "XG0", "x01"
    std::vector<Field> fields;      // indexed fields in index order, as in the table read
    std::vector<int> fieldNumbers;  // their 1-based numbers in that table
    std::vector<bool> descending;   // per field: bit 15 of its stored number
    std::uint8_t flags = 0;         // byte 0x55 (kIndex... bits), kept as stored
    int fileType = 5;               // 3 .Xnn, 5 .Xnn maintained, 6 .XGn, 8 .XGn maintained
    std::string name;               // index name (header item 8, UTF-8); "" for .Xnn
    int versionByte = 0;            // 0x39 of the index table
    int blockSizeKiB = 0;
    int sortOrder = 0;          // 0x29
    std::string sortOrderId;    // header item 7 ("" before level 4)
    std::uint32_t entries = 0;  // records the index table holds
    bool keyedLayout = true;    // entries carry the primary key (else Tup No, Blk Num, Tup Offset)

    bool group() const { return fileType == 6 || fileType == 8; }  // .XGn rather than .Xnn
    bool maintained() const { return fileType == 5 || fileType == 8; }
    bool caseInsensitive() const { return (flags & kIndexCaseInsensitive) != 0; }
    bool unique() const { return (flags & kIndexUnique) != 0; }
};

// One entry of an index table, decoded from its fixed layout.
struct IndexEntry {
    Bytes values;                   // the indexed fields' bytes, concatenated as in the table's records
    Bytes primaryKey;               // keyed tables: the key fields' bytes; otherwise empty
    std::uint16_t block = 0;        // "Blk Num": the .db block holding the record
    std::int32_t tupleNumber = 0;   // unkeyed tables: "Tup No"
    std::uint16_t tupleOffset = 0;  // unkeyed tables: "Tup Offset"
    bool operator==(const IndexEntry&) const = default;
};

// Every secondary index of the table dbFile, ordered by file name. Throws pdx::Error naming the
// file for an index file that is damaged, belongs to no such table, lacks its tree file, or
// has a layout this program does not know.
std::vector<SecondaryIndexDef> readSecondaryIndexes(const std::filesystem::path& dbFile);

// The entries of an existing index in their stored order (its block chain). Throws pdx::Error
// naming the file when it is damaged.
std::vector<IndexEntry> readIndexEntries(const SecondaryIndexDef& def);

// The order of the indexed values of an existing index, for rewriting it where this program
// cannot order them itself. Throws pdx::Error when equal values are not stored together (the
// index orders by something the values do not show, which a kept order cannot reproduce).
KeptOrder keptOrderOf(const SecondaryIndexDef& def, const std::vector<IndexEntry>& entries);

}  // namespace pdx
