#include "platform/db/edit_base.h"

#include "platform/shell/errors.h"

namespace db {

namespace {

constexpr const char* kImportedRowsTable = "vts/imported-rows";
constexpr const char* kCopiedRowsTable = "vts/copied-rows";

std::string touchedTableName(const std::string& table) { return "vts/touched/" + table; }

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

namespace {

// Triggers, not the grid's edits, note the rows: an UPDATE or DELETE made any other way is noted
// too, and they go with the table when it is dropped. (A REPLACE removes a row without a note; the
// program runs none on a working table.)
void trackTouchedRows(SqliteDb& db, const std::string& table) {
    if (!exists(db, table)) return;
    WorkingTable t;
    try {
        t = WorkingTable::describe(db, table);
    } catch (const vts::Error&) {  // no name reaches its rows: it cannot be edited, nothing is noted
        return;
    }
    const std::string touched = quoteIdentifier(touchedTableName(table)), on = quoteIdentifier(table);
    db.exec("CREATE TABLE IF NOT EXISTS " + touched + "(id INTEGER PRIMARY KEY)");
    db.exec("DELETE FROM " + touched);
    db.exec("CREATE TRIGGER IF NOT EXISTS " + quoteIdentifier(touchedTableName(table) + "/update") +
            " AFTER UPDATE ON " + on + " BEGIN INSERT OR IGNORE INTO " + touched + " VALUES (old." + t.rowid +
            "), (new." + t.rowid + "); END");
    db.exec("CREATE TRIGGER IF NOT EXISTS " + quoteIdentifier(touchedTableName(table) + "/delete") +
            " AFTER DELETE ON " + on + " BEGIN INSERT OR IGNORE INTO " + touched + " VALUES (old." + t.rowid +
            "); END");
}

// Whether the table's changes are noted: both triggers and their table are there.
bool touchesNoted(const SqliteDb& db, const std::string& table) {
    Statement both(db, "SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ? AND name IN (?, ?)");
    both.bind(1, table);
    both.bind(2, touchedTableName(table) + "/update");
    both.bind(3, touchedTableName(table) + "/delete");
    return both.step() && both.columnInt(0) == 2 && exists(db, touchedTableName(table));
}

}  // namespace

void setImportedRows(SqliteDb& db, const std::string& table, std::int64_t rows) {
    setRows(db, kImportedRowsTable, table, rows);
    trackTouchedRows(db, table);
}

std::optional<std::vector<std::int64_t>> touchedRows(const SqliteDb& db, const std::string& table) {
    if (!touchesNoted(db, table)) return std::nullopt;
    Statement st(db, "SELECT id FROM " + quoteIdentifier(touchedTableName(table)) + " ORDER BY id");
    std::vector<std::int64_t> rows;
    while (st.step()) rows.push_back(st.columnInt(0));
    return rows;
}

std::optional<std::int64_t> rowCountFromNotes(const SqliteDb& db, const WorkingTable& table) {
    const auto imported = importedRows(db, table.name);
    if (!imported || !touchesNoted(db, table.name)) return std::nullopt;
    const std::string rows = quoteIdentifier(table.name);
    Statement st(db, "SELECT ?1 - (SELECT count(*) FROM " + quoteIdentifier(touchedTableName(table.name)) +
                         " AS t WHERE t.id <= ?1 AND NOT EXISTS (SELECT 1 FROM " + rows + " WHERE " + table.rowid +
                         " = t.id)) + (SELECT count(*) FROM " + rows + " WHERE " + table.rowid + " > ?1)");
    st.bind(1, *imported);
    st.step();
    return st.columnInt(0);
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
    db.exec("DROP TABLE IF EXISTS " + quoteIdentifier(touchedTableName(table)));
    if (!exists(db, kImportedRowsTable)) return;
    Statement del(db, "DELETE FROM " + quoteIdentifier(kImportedRowsTable) + " WHERE table_name = ?");
    del.bind(1, table);
    del.step();
}

}  // namespace db
