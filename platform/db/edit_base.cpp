#include "platform/db/edit_base.h"

namespace db {

namespace {

constexpr const char* kImportedRowsTable = "vts/imported-rows";
constexpr const char* kCopiedRowsTable = "vts/copied-rows";

bool exists(const SqliteDb& db, const std::string& table) {
    Statement st(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    st.bind(1, table);
    return st.step();
}

void setRows(SqliteDb& db, const char* counts, const std::string& table, std::int64_t rows) {
    const std::string quoted = quoteIdentifier(counts);
    db.exec("CREATE TABLE IF NOT EXISTS " + quoted +
            "(table_name TEXT PRIMARY KEY COLLATE NOCASE, row_count INTEGER NOT NULL)");
    Statement ins(db, "INSERT OR REPLACE INTO " + quoted + " VALUES(?, ?)");
    ins.bind(1, table);
    ins.bind(2, rows);
    ins.step();
}

std::optional<std::int64_t> rowsOf(const SqliteDb& db, const char* counts, const std::string& table) {
    if (!exists(db, counts)) return std::nullopt;
    Statement st(db, "SELECT row_count FROM " + quoteIdentifier(counts) + " WHERE table_name = ?");
    st.bind(1, table);
    if (!st.step()) return std::nullopt;
    return st.columnInt(0);
}

}  // namespace

std::string baseTableName(const std::string& table) { return "vts/base/" + table; }

void setImportedRows(SqliteDb& db, const std::string& table, std::int64_t rows) {
    setRows(db, kImportedRowsTable, table, rows);
}

std::optional<std::int64_t> importedRows(const SqliteDb& db, const std::string& table) {
    return rowsOf(db, kImportedRowsTable, table);
}

void setCopiedRows(SqliteDb& db, const std::string& table, std::int64_t rows) {
    setRows(db, kCopiedRowsTable, table, rows);
}

std::optional<std::int64_t> copiedRows(const SqliteDb& db, const std::string& table) {
    return rowsOf(db, kCopiedRowsTable, table);
}

void keepBaseRow(SqliteDb& db, const WorkingTable& table, std::int64_t rowid) {
    const auto imported = importedRows(db, table.name);
    if (!imported || rowid > *imported) return;  // a row of the session's own has no base
    const std::string base = quoteIdentifier(baseTableName(table.name));
    // Same columns, no constraints: the base holds rows as they were, whatever they were.
    db.exec("CREATE TABLE IF NOT EXISTS " + base + " AS SELECT * FROM " + quoteIdentifier(table.name) + " WHERE 0");
    Statement keep(db, "INSERT OR IGNORE INTO " + base + " (" + table.rowid + ", " + table.quotedColumns() + ") " +
                           table.selectWithRowid() + " WHERE " + table.rowid + " = ?");
    keep.bind(1, rowid);
    keep.step();
}

void forgetBase(SqliteDb& db, const std::string& table) {
    db.exec("DROP TABLE IF EXISTS " + quoteIdentifier(baseTableName(table)));
    if (!exists(db, kImportedRowsTable)) return;
    Statement del(db, "DELETE FROM " + quoteIdentifier(kImportedRowsTable) + " WHERE table_name = ?");
    del.bind(1, table);
    del.step();
}

}  // namespace db
