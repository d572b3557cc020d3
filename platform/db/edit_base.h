// The rows of a working table as they were imported, kept for the rows an edit touches: what a
// merge needs to tell the session's changes from the rows of a table someone else saved.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/sqlite_handle.h"
#include "platform/db/working_table.h"

namespace db {

// "vts/base/<table>": a name no table file can give.
std::string baseTableName(const std::string& table);

// How many rows the import put in the table (rowids 1..n); empty for tables imported before this
// was recorded, whose edits cannot be merged. From then on, every row an UPDATE or a DELETE
// touches is noted by the database itself, whoever runs it: the rows not noted are still the
// Paradox table's records as they were imported.
void setImportedRows(SqliteDb& db, const std::string& table, std::int64_t rows);
std::optional<std::int64_t> importedRows(const SqliteDb& db, const std::string& table);
// How many of them are in while the import goes on (rowids 1..n): where a copy cut short goes on.
void setCopiedRows(SqliteDb& db, const std::string& table, std::int64_t rows);
std::optional<std::int64_t> copiedRows(const SqliteDb& db, const std::string& table);

// The rowids noted as touched, in order; empty for a table whose changes were not noted.
std::optional<std::vector<std::int64_t>> touchedRows(const SqliteDb& db, const std::string& table);

// The rows of a table whose import is complete, counted from the notes (a count of every row
// reads the whole table): the imported rows less those touched and gone, and the rows after
// them. Never fewer than there are. Empty for a table whose changes were not noted.
std::optional<std::int64_t> rowCountFromNotes(const SqliteDb& db, const WorkingTable& table);

// Keeps the imported row `rowid` as it is now, unless kept before or added by the session; call
// before changing or deleting the row, inside the edit's savepoint.
void keepBaseRow(SqliteDb& db, const WorkingTable& table, std::int64_t rowid);

// Forgets them all, with the table.
void forgetBase(SqliteDb& db, const std::string& table);

}  // namespace db
