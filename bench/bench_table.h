// The benchmark table shared by every benchmark: N records of mixed field types (with some
// blanks), optionally with a memo field, generated deterministically and written as Paradox.
#pragma once
#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/pdx/format/types.h"

namespace vts::bench {

constexpr const char* kBenchTableName = "BENCH";

// Fields: Name A30, Count I, Amount N, Day D, Small S, Flag L, Stamp @, Code A10 [, Notes M 20].
pdx::Schema benchSchema(bool withMemo);
// Record i (0-based) of the table; reuses out's storage.
void benchRecord(std::size_t i, bool withMemo, pdx::Record& out);
// Writes and installs dir/name.db (and .MB) with `records` records; returns the .db path.
std::filesystem::path writeBenchTable(const std::filesystem::path& dir, std::size_t records, bool withMemo,
                                      const std::string& name = kBenchTableName);

}  // namespace vts::bench
