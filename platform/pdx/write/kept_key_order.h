// The key order of an existing keyed table, so that a table written in its place under a sort
// order the engine cannot place keys by keeps the keys where that table's engine put them.
#pragma once
#include <filesystem>
#include <optional>

#include "platform/pdx/format/sort_order.h"
#include "platform/pdx/format/types.h"

namespace pdx {

// The keys of dbFile in record order, encoded as `schema` stores them. Nothing when that table
// has other key fields or another sort order than `schema`, so its order says nothing about
// the new keys. Throws pdx::Error when the table cannot be read.
std::optional<KeptOrder> keptKeyOrder(const std::filesystem::path& dbFile, const Schema& schema);

}  // namespace pdx
