// A working table written back with the rows the session never touched taken as they are from the
// Paradox table they were imported from: what the close writes is then mostly a plain copy of
// that table, and those rows keep exactly what their owner wrote.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/db/sqlite_handle.h"
#include "platform/db/working_table.h"
#include "platform/pdx/write/writer.h"

namespace db {

// Appends the first `top` rows of `table` in rowid order to `writer`, each imported row that no
// UPDATE or DELETE touched as the record of `source` in its place. The caller makes sure `source`
// is still the table imported (its signature, checked before the new table replaces it). Returns
// how many records came from `source`; empty, with nothing written, when the table's changes were
// not noted (imported before they were) or `schema` is not the source's field list. Throws
// vts::Error naming row and field for a value that cannot be read, and when `source` holds fewer
// records than were imported.
std::optional<std::int64_t> writeUntouchedFromSource(SqliteDb& db, const WorkingTable& table, const pdx::Schema& schema,
                                                     const std::filesystem::path& source, std::int64_t top,
                                                     pdx::TableWriter& writer,
                                                     const std::function<void(long)>& rowWritten);

}  // namespace db
