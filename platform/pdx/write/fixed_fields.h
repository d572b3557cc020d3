// The fields of a table whose values this program cannot change without writing an index that
// contradicts the table's sort order: its key, and fields of its secondary indexes, under a sort
// order whose collation is not known, where no candidate collation agrees with the table's own
// order (where some do, the write-back places what they agree on and refuses the rest).
#pragma once
#include <filesystem>
#include <map>
#include <string>

#include "platform/pdx/format/types.h"

namespace pdx {

// Field name -> why it cannot be changed (for the user), for the table dbFile with that schema.
// Without the secondary indexes when they cannot be read: the write-back refuses such values anyway.
std::map<std::string, std::string> fieldsKeptInPlace(const std::filesystem::path& dbFile, const Schema& schema);

}  // namespace pdx
