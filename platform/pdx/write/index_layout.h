// The record layout of a secondary index over a table's schema: the indexed fields, then the
// table's key fields and "Blk Num" (keyed tables) or "Tup No", "Blk Num", "Tup Offset" (unkeyed).
// All fields but the last ("Blk Num" / "Tup Offset") are compared.
#pragma once
#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/format/types.h"

namespace pdx {

struct IndexLayout {
    std::vector<int> fieldNumbers;  // 1-based in the table, in index order
    std::vector<Field> indexed;     // the table's fields, in index order
    std::vector<bool> descending;
    std::vector<std::size_t> offsets;  // of each indexed field in a table record
    std::vector<Field> fields;         // every field of the index table
    int comparedFields = 0;            // header 0x23 of the index table
    std::size_t valueBytes = 0;        // the indexed fields' bytes
    std::size_t tableKeyBytes = 0;     // the table's key fields' bytes (keyed tables)
    std::size_t comparedBytes = 0;     // bytes of the compared fields: what the tree holds per entry
    std::size_t recordSize = 0;
    bool keyed = false;
};

// The layout of the index `def` over a table with `schema`, its fields found by name; or why the
// table cannot carry the index.
std::variant<IndexLayout, std::string> layoutFor(const SecondaryIndexDef& def, const Schema& schema);

}  // namespace pdx
