// Finding a table and its companion files by name, and moving a family aside safely.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pdx {

// name.db in dir, matched without regard to letter case ("CUSTOMER" finds Customer.db).
std::optional<std::filesystem::path> findTable(const std::filesystem::path& dir, const std::string& name);

// The companion of a table file with the given extension ("MB", "PX" ...), matched without
// regard to letter case, next to dbFile.
std::optional<std::filesystem::path> findCompanion(const std::filesystem::path& dbFile, const std::string& extension);

// The .db and every companion (.PX .MB .Xnn .Ynn .XGn .YGn .VAL .TV .TVF .FAM) of a table.
std::vector<std::filesystem::path> findFamily(const std::filesystem::path& dir, const std::string& name);

// A family moved aside under names that never match *.db; restore() or drop() it.
struct AsideSet {
    std::filesystem::path dir;
    std::string tableName;
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> moves;  // original, aside
    bool empty() const { return moves.empty(); }
};

AsideSet setAside(const std::filesystem::path& dir, const std::string& name);
void restore(const AsideSet& set);   // puts every file back under its original name
void drop(const AsideSet& set);      // deletes the set-aside files
// A set-aside family left by an interrupted replacement, if any.
std::optional<AsideSet> findAside(const std::filesystem::path& dir, const std::string& name);

// After a crash between setting a table aside and installing its replacement, the folder shows
// no such table. Puts every such family back (files of the unfinished new table get the suffix
// ".vts-orphan", which no reader takes for a table file) and returns the names restored. A family
// whose table is in place is left alone. Never throws: a folder it cannot repair stays as it is.
std::vector<std::string> recoverInterrupted(const std::filesystem::path& dir) noexcept;

}  // namespace pdx
