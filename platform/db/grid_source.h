// The grid's window onto one working table: columns, row count, rows by position, cell edits.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/pdx/types.h"

namespace db {

// Holds its own database handle and keeps no statement active between calls, so the working
// table can be dropped or recreated by another connection while a grid source is alive.
class GridSource {
public:
    struct Column {
        std::string name;
        std::string jetType;  // declared type's first word: "INT", "TEXT", "MEMO", ...
        int adoType = 0;      // one of the ado:: codes of jet_types.h
    };
    struct Row {
        std::int64_t rowid = 0;
        std::vector<pdx::Value> values;  // one per column
    };

    // Opens the working database at `dbPath` on table `table`; throws vts::Error.
    GridSource(const std::string& dbPath, const std::string& table);
    ~GridSource();
    GridSource(const GridSource&) = delete;
    GridSource& operator=(const GridSource&) = delete;

    int ColumnCount() const;
    const std::vector<Column>& Columns() const;
    const std::string& ColumnName(int column) const;
    const std::string& ColumnJetType(int column) const;
    int ColumnType(int column) const;

    // Rows now in the table (follows changes made by other connections).
    std::int64_t RowCount();
    // Up to `count` rows from position `firstRow` (0-based) in rowid order.
    std::vector<Row> Fetch(std::int64_t firstRow, std::int64_t count);
    // Optimistic edit of one cell of the row with that rowid, which must still hold
    // `expectedOld`. The new value is checked against the column's type (empty text is Null).
    // Returns the value as now stored. Throws vts::Error when the row changed or vanished, or
    // when the value does not suit the column.
    pdx::Value Update(std::int64_t rowid, int column, const pdx::Value& expectedOld, const pdx::Value& newValue);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace db
