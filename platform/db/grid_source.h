// The grid's window onto one working table: columns, row count, rows by position (in rowid
// order or sorted by one column), cell edits, added and deleted rows.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/jet_types.h"
#include "platform/pdx/format/types.h"

namespace db {

// Holds its own database handle and keeps no statement active between calls, so the working
// table can be dropped or recreated by another connection while a grid source is alive.
class GridSource {
public:
    struct Column {
        std::string name;
        std::optional<JetType> jetType;  // none for a column declared otherwise
        std::string declaredType;
        int adoType = 0;  // one of the ado:: codes of jet_types.h
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
    std::optional<JetType> ColumnJetType(int column) const;
    int ColumnType(int column) const;

    // Rows now in the table (follows changes made by other connections).
    std::int64_t RowCount();
    // Up to `count` rows from position `firstRow` (0-based) in the current order.
    std::vector<Row> Fetch(std::int64_t firstRow, std::int64_t count);

    // Orders the positions by one column's values (ties by rowid), or by rowid (column -1).
    // Rows this source adds later come last, and edits do not move rows, until the next call.
    // The table itself keeps its order. Throws vts::Error.
    void SetOrder(int column, bool descending);
    int OrderColumn() const;
    bool OrderDescending() const;

    // Adds a row, one value per column, each checked against its column's type; with a rowid,
    // the row takes that rowid (to restore a deleted row in its place). Marks the table as
    // edited. Returns the new row's rowid. Throws vts::Error.
    std::int64_t Insert(const std::vector<pdx::Value>& values, std::int64_t rowid = 0);
    // Deletes the rows with these rowids, all or none, and marks the table as edited. Returns
    // the rows as they were, for putting back. Throws vts::Error.
    std::vector<Row> Delete(const std::vector<std::int64_t>& rowids);
    // One more than the largest whole number in the column (1 when it holds none): the value
    // an autoincrement field takes in a new row.
    std::int64_t NextNumber(int column);
    // Whether a row holds exactly these values in these columns.
    bool HoldsValues(const std::vector<int>& columns, const std::vector<pdx::Value>& values);
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
