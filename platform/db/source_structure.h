// Keeps the Paradox structure each working table was imported from, in a system table of the
// working database whose name no table name can take (table names come from file names).
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/db/sqlite_handle.h"
#include "platform/pdx/format/types.h"

namespace db {

inline constexpr const char* kStructureTable = "vts/source-structure";

void recordStructure(SqliteDb& db, const std::string& table, const pdx::Schema& schema);
std::optional<pdx::Schema> readStructure(const SqliteDb& db, const std::string& table);
void forgetStructure(SqliteDb& db, const std::string& table);

// Working tables whose import stopped part-way: their rows stay for the user to see, but they
// must never replace the Paradox table they came from. Kept beside the structures.
inline constexpr const char* kIncompleteTable = "vts/incomplete-imports";
void setImportComplete(SqliteDb& db, const std::string& table, bool complete);
bool importComplete(const SqliteDb& db, const std::string& table);

// Working tables edited since their import and not yet written back: replacing one loses edits.
inline constexpr const char* kUnsavedEditsTable = "vts/unsaved-edits";
void setUnsavedEdits(SqliteDb& db, const std::string& table, bool unsaved);
bool hasUnsavedEdits(const SqliteDb& db, const std::string& table);

// Where each working table came from and what its Paradox table was when it was imported, so
// that its edits can be written back to that table alone, and only over what was imported.
inline constexpr const char* kOriginsTable = "vts/origins";
struct Origin {
    std::string table;      // the working table
    std::string folder;     // the Paradox table's folder
    std::string name;       // the Paradox table's name
    std::string signature;  // pdx::familySignature at the import
};
void recordOrigin(SqliteDb& db, const Origin& origin);
std::optional<Origin> readOrigin(const SqliteDb& db, const std::string& table);
std::vector<Origin> readOrigins(const SqliteDb& db);

}  // namespace db
