// Carries one session's edits of a working table into a fresh import of its Paradox table, saved
// by someone else meanwhile, where the two do not collide: keyed tables row by key, others by
// record position when they kept the number of records.
#pragma once
#include <string>
#include <vector>

#include "platform/db/sqlite_handle.h"

namespace db {

// Applies the edits of the working table `mine` (its rows against the imported rows kept by
// keepBaseRow) to the working table `theirs`, all or none. Returns one line for each row that
// collides (nothing is then applied), empty when merged. Throws vts::Error on a database failure.
std::vector<std::string> mergeEdits(SqliteDb& db, const std::string& mine, const std::string& theirs);

}  // namespace db
