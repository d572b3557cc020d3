// Header of a secondary index table (.Xnn/.XGn): laid out like a keyed table's header, plus the
// indexed field (0x15), option bits (0x55), the table's numbers of the indexed fields and, in
// .XGn files, the index name.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pdx/format/header.h"
#include "platform/pdx/format/header_writer.h"

namespace pdx {

struct IndexTableHeader {
    TableHeader table;              // fields, key fields (0x23), blocks, sort order ...
    int indexFieldNumber = 0;       // 0x15
    std::vector<int> fieldNumbers;  // header item 6 as stored (bit 15 may be set); empty before level 4
    std::string name;               // header item 8 (.XGn only), in the table's code page
    std::uint8_t flags = 0;         // 0x55
};

// Parses and checks the header of an index table held in bytes[0, size). Throws pdx::Error
// (without the file name) for a damaged header or a file that is not an index table.
IndexTableHeader parseIndexTableHeader(const std::uint8_t* bytes, std::size_t size);

struct IndexHeaderFields {
    DbHeaderFields table;           // the index table as if it were a keyed table
    std::uint8_t fileType = 5;      // 3, 5, 6 or 8
    std::vector<int> fieldNumbers;  // stored numbers of the indexed fields (bit 15: descending)
    std::string name;               // in the table's code page; written for .XGn only
    std::uint8_t flags = 0;         // 0x55
};

// Offset of block 1: the header items rounded up to whole 2 KiB units.
std::size_t indexTableHeaderSize(const IndexHeaderFields& h);
std::vector<std::uint8_t> buildIndexTableHeader(const IndexHeaderFields& h);

}  // namespace pdx
