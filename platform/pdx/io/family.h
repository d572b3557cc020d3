// Finding a table and its companion files by name.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pdx/format/name_case.h"

namespace pdx {

// name.db in dir, matched without regard to letter case ("CUSTOMER" finds Customer.db).
std::optional<std::filesystem::path> findTable(const std::filesystem::path& dir, const std::string& name);

// The companion of a table file with the given extension ("MB", "PX" ...), matched without
// regard to letter case, next to dbFile.
std::optional<std::filesystem::path> findCompanion(const std::filesystem::path& dbFile, const std::string& extension);

// The .db and every companion (.PX .MB .Xnn .Ynn .XGn .YGn .VAL .TV .TVF .FAM) of a table.
std::vector<std::filesystem::path> findFamily(const std::filesystem::path& dir, const std::string& name);

// True when `file` (a name, no folder) is the table file or a companion of table `name`.
bool isFamilyFile(const std::string& file, const std::string& name);

// A file named like a table that is certainly none: empty, an SQLite database, or an OLE compound
// file (Windows' Thumbs.db). A damaged table is not foreign: it is listed, and opening it says why.
bool isForeignFile(const std::filesystem::path& file);

// Lists regular files directly in dir by name (sorted); throws pdx::Error when it cannot.
std::vector<std::string> listFolder(const std::filesystem::path& dir);

}  // namespace pdx
