// A Paradox table read by our engine, row by row, in the forms the working database stores.
#pragma once
#include <filesystem>
#include <memory>
#include <string>

#include "platform/db/cursor.h"

namespace db {

// Throws vts::Error when `folder` is not an existing folder.
void requireParadoxFolder(const std::filesystem::path& folder);
// The table `name` of `folder` (letter case ignored), after settling a replacement of it that a
// crash cut short; `password` opens a protected one. Throws vts::Error when the table is not
// there or cannot be read, or the password is missing or wrong.
std::unique_ptr<Cursor> openParadoxTable(const std::filesystem::path& folder, const std::string& name,
                                         const std::string& password = {});

}  // namespace db
