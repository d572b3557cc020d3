// The order of a secondary index's entries: by their compared values (descending fields
// reversed) where this program knows the engine's comparison, else where every candidate collation
// the table's existing order left standing puts them, else by the kept order of the index as it
// was; entries with equal values in the order of the table's records (its key order, or
// its tuple order when unkeyed), as the compared key and tuple fields that follow them demand.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pdx/write/index_layout.h"
#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/format/sort_order.h"
#include "platform/pdx/format/text_collation.h"

namespace pdx {

struct EntryOrder {
    const SecondaryIndexDef& def;
    const IndexLayout& layout;
    const Schema& schema;      // the new table's
    const std::string& table;  // its name, for messages
    const std::string& extension;

    // Numbers of the `count` records in `rows` (layout.recordSize bytes each, in table order) in
    // index order. `plainFold`: every case-insensitive value orders alike whichever way letters
    // fold. Throws pdx::Error naming index, table and value when a value cannot be placed, or
    // when a unique index would hold a value twice.
    std::vector<std::uint32_t> order(const Bytes& rows, std::uint32_t count, bool plainFold, const KeptOrder* kept,
                                     const TextPlacement& placement = {}) const;
};

}  // namespace pdx
