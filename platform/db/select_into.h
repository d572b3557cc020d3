// Writes a working table's first N rows as a Paradox table.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/db/sqlite_handle.h"
#include "platform/db/write_hooks.h"

namespace db {

// Which rows go where: the first `top` rows of the working table `source`, as the Paradox table
// `target` (without ".db") in `folder`. Where `expected` is given, the table is replaced only
// while it still has that family signature (checked under the writer lock), and the rows the
// session never touched are copied from it as they are.
struct SelectInto {
    std::int64_t top = 0;
    std::string folder;
    std::string target;
    std::string source;
    std::string expected;
};

// Replaces a table of that name in one step (its whole family, or nothing, changes); on failure
// the earlier table stays as it was and nothing else is left behind. Returns the secondary
// indexes of the earlier table that the new one could not keep, each with the reason. Throws
// vts::TableChanged when the table is no longer the expected one.
std::vector<std::string> selectInto(SqliteDb& db, const SelectInto& statement, const WriteHooks& hooks);

}  // namespace db
