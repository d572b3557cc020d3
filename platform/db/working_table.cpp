// The columns of a working table and a name that reaches its rowid.
#include "platform/db/working_table.h"

#include "platform/db/jet_types.h"
#include "platform/shell/ascii_case.h"
#include "platform/shell/errors.h"

namespace db {

std::optional<JetType> WorkingColumn::jetType() const { return jetTypeOfDeclared(declaredType); }

WorkingTable WorkingTable::describe(const SqliteDb& db, const std::string& name) {
    WorkingTable t;
    Statement st(db, "SELECT * FROM " + quoteIdentifier(name));
    for (int i = 0; i < st.columnCount(); ++i) t.columns.push_back({st.columnName(i), st.declaredType(i)});
    t.name = name;
    // A column may be named like the rowid; SQLite then answers with the column.
    for (const char* candidate : {"rowid", "_rowid_", "oid"}) {
        bool taken = false;
        for (const auto& c : t.columns) taken = taken || vts::asciiEqualsNoCase(c.name, candidate);
        if (!taken) {
            t.rowid = candidate;
            return t;
        }
    }
    throw vts::Error("The table \"" + name + "\" has columns named rowid, _rowid_ and oid; it cannot be edited.");
}

std::string WorkingTable::quotedColumns() const {
    std::string out;
    for (const auto& c : columns) out += (out.empty() ? "" : ", ") + quoteIdentifier(c.name);
    return out;
}

std::string WorkingTable::selectWithRowid() const {
    return "SELECT " + rowid + (columns.empty() ? "" : ", " + quotedColumns()) + " FROM " + quoteIdentifier(name);
}

}  // namespace db
