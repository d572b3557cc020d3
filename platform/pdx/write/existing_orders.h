// What a table about to be replaced shows of its sort order: the order of its keys and of its
// text indexes as its engine left them, and the candidate collations that agree with all of it.
#pragma once
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/format/sort_order.h"
#include "platform/pdx/format/text_collation.h"
#include "platform/pdx/format/types.h"

namespace pdx {

struct ExistingOrders {
    std::optional<KeptOrder> key;    // text keys under an unproven order: as the table had them
    std::vector<KeptOrder> indexes;  // per index given: its values' order, empty where not needed
    CollationSet alive = 0;
};

// `schema` (sort order filled in) is the new table's; `keyFrom` the table whose key order counts
// (none for a new table); `indexes` the secondary indexes to write again, whose files are read.
// Throws pdx::Error when a table or index cannot be read.
ExistingOrders readExistingOrders(const std::optional<std::filesystem::path>& keyFrom, const Schema& schema,
                                  const std::vector<SecondaryIndexDef>& indexes, const TextWeights& weights);

// The key fields of a schema, which lead every record.
std::vector<Field> keyFieldsOf(const Schema& schema);

}  // namespace pdx
