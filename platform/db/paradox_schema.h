// The structure a working table is written back with: the recorded source structure when the
// columns still match it, otherwise one derived from the column types and the data.
#pragma once
#include <cstdint>
#include <optional>

#include "platform/db/working_table.h"
#include "platform/pdx/format/types.h"

namespace db {

// Same count, names and Jet types as the import made from those fields.
bool matchesRecorded(const WorkingTable& table, const pdx::Schema& recorded);

// Reads the first `top` rows once. Throws vts::Error naming row and field for a value that no
// field of the column's type can hold.
pdx::Schema deriveSchema(const SqliteDb& db, const WorkingTable& table, std::int64_t top);

// The query of the table's first `top` rows, every column, in rowid order.
std::string firstRowsInOrder(const WorkingTable& table, std::int64_t top);

// Calls `row(number, statement)` for the first `top` rows in rowid order (number from 1); the
// statement's columns are the table's columns.
template <class F>
void forEachRow(const SqliteDb& db, const WorkingTable& table, std::int64_t top, F&& row) {
    Statement st(db, firstRowsInOrder(table, top));
    for (std::int64_t n = 1; st.step(); ++n) row(n, st);
}

// "Row 3, field "Born": " + what.
std::string rowFieldText(std::int64_t row, const std::string& field, const std::string& what);

// Column `column` of the working row `st` is on, as the value of `field` (readParadoxValue); a
// value that does not suit it is reported with its row and field.
void readFieldOfRow(const Statement& st, int column, const pdx::Field& field, std::int64_t row, pdx::Value& out);

}  // namespace db
