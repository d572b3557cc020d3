// The columns of a working table and a name that reaches its rowid.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/db/jet_types.h"
#include "platform/db/sqlite_handle.h"

namespace db {

struct WorkingColumn {
    std::string name;
    std::string declaredType;                // as created, e.g. "DECIMAL TEXT"
    std::optional<JetType> jetType() const;  // none for a column declared otherwise
};

struct WorkingTable {
    std::string name;
    std::vector<WorkingColumn> columns;
    std::string rowid;  // "rowid", or "_rowid_"/"oid" when a column already has that name

    // Throws vts::Error when the table does not exist.
    static WorkingTable describe(const SqliteDb& db, const std::string& name);
    // SELECT <rowid>, "col1", ... FROM "name" (no trailing clause).
    std::string selectWithRowid() const;
    std::string quotedColumns() const;
};

}  // namespace db
