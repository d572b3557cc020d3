// The grid's window onto one working table: columns, row count, rows by position, cell edits.
#include "platform/db/grid_source.h"

#include <algorithm>
#include <unordered_set>

#include "platform/db/column_values.h"
#include "platform/db/edit_base.h"
#include "platform/db/jet_types.h"
#include "platform/db/source_structure.h"
#include "platform/db/working_table.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

// How a column's values sort as the grid shows them: decimals (kept as text) by number, text
// without regard to ASCII letter case.
std::string sortKey(const GridSource::Column& c) {
    const std::string col = quoteIdentifier(c.name);
    if (c.jetType == JetType::Decimal) return "CAST(" + col + " AS REAL)";
    if (c.jetType == JetType::Text || c.jetType == JetType::Memo) return col + " COLLATE NOCASE";
    return col;
}

const char* kMoved = "The row was changed or deleted since it was shown. Reload the table to see the current values.";

}  // namespace

// Row positions map to rowids: directly when the rowids are 1..N (a fresh import), else through
// a vector of all rowids, or of the rowids in the chosen order. They are rebuilt when another
// connection changed the database (data_version tells) or this one added or deleted rows in a
// way the vectors cannot follow (stale).
struct GridSource::Impl {
    SqliteDb db;
    WorkingTable table;
    std::vector<Column> columns;
    std::int64_t seenVersion = -1;
    bool stale = true;
    std::int64_t count = 0;
    bool dense = true;
    std::vector<std::int64_t> rowids;
    int orderColumn = -1;
    bool descending = false;

    Impl(const std::string& path, const std::string& name)
        : db(path, false, false), table(WorkingTable::describe(db, name)) {
        for (const auto& c : table.columns)
            columns.push_back({c.name, c.jetType(), c.declaredType, adoTypeOfDeclared(c.declaredType)});
    }

    std::int64_t single(const std::string& sql) const {
        Statement st(db, sql);
        st.step();
        return st.columnInt(0);
    }

    void refresh() {
        const auto version = single("PRAGMA data_version");
        if (version == seenVersion && !stale) return;
        const std::string from = " FROM " + quoteIdentifier(table.name);
        Savepoint snapshot(db, "vts_snapshot");  // count, ends and rowids from one state of the table
        // Three queries: SQLite answers each alone without reading the rows.
        count = single("SELECT count(*)" + from);
        dense = count == 0 || (single("SELECT min(" + table.rowid + ")" + from) == 1 &&
                               single("SELECT max(" + table.rowid + ")" + from) == count);
        rowids.clear();
        if (orderColumn >= 0) dense = false;
        if (!dense) {
            rowids.reserve(static_cast<std::size_t>(count));
            Statement ids(db, "SELECT " + table.rowid + from + " ORDER BY " + orderBy());
            while (ids.step()) rowids.push_back(ids.columnInt(0));
            count = static_cast<std::int64_t>(rowids.size());
        }
        snapshot.keep();
        seenVersion = version;
        stale = false;
    }

    std::string orderBy() const {
        if (orderColumn < 0) return table.rowid;
        return sortKey(columns.at(std::size_t(orderColumn))) + (descending ? " DESC, " : ", ") + table.rowid;
    }

    std::int64_t rowidAt(std::int64_t position) const {
        return dense ? position + 1 : rowids[static_cast<std::size_t>(position)];
    }

    Row readRow(const Statement& st) const {
        Row row{st.columnInt(0), {}};
        for (std::size_t i = 0; i < columns.size(); ++i) row.values.push_back(st.column(int(i) + 1));
        return row;
    }

    // Sorted positions: each row looked up by its rowid.
    std::vector<Row> fetchOrdered(std::int64_t first, std::int64_t last) {
        std::vector<Row> rows;
        Statement st(db, table.selectWithRowid() + " WHERE " + table.rowid + " = ?");
        for (std::int64_t p = first; p <= last; ++p) {
            st.bind(1, rowidAt(p));
            if (st.step()) rows.push_back(readRow(st));
            st.reset();
        }
        return rows;
    }

    // A sorted view keeps its positions when this connection adds or deletes rows: an added row
    // comes last, a deleted one leaves its place. Unsorted, the positions are simply rebuilt.
    void added(std::int64_t rowid, bool ownRowid) {
        if (orderColumn < 0 || ownRowid) {
            stale = true;
            return;
        }
        rowids.push_back(rowid);
        ++count;
    }
    void deleted(const std::vector<std::int64_t>& gone) {
        if (orderColumn < 0) {
            stale = true;
            return;
        }
        const std::unordered_set<std::int64_t> set(gone.begin(), gone.end());
        std::erase_if(rowids, [&](std::int64_t id) { return set.count(id) != 0; });
        count = static_cast<std::int64_t>(rowids.size());
    }

    // Rows are added and deleted only in a table whose every row is in: until then the rows are
    // the Paradox table's first ones in order, which is where a copy cut short goes on.
    void requireWholeTable() const {
        if (!importComplete(db, table.name))
            throw vts::Error("Rows can be added or deleted only once the whole table is copied.");
    }

    pdx::Value stored(int column, const pdx::Value& v) const {
        const auto& c = columns.at(std::size_t(column));
        try {
            return valueForColumn(v, c.jetType);
        } catch (const vts::Error& e) {
            const std::string type = c.jetType ? jetName(*c.jetType) : c.declaredType;
            throw vts::Error("The value does not suit the column \"" + c.name + "\" (" + type + "): " + e.what());
        }
    }
};

GridSource::GridSource(const std::string& dbPath, const std::string& table)
    : impl_(std::make_unique<Impl>(dbPath, table)) {}

GridSource::~GridSource() = default;

int GridSource::ColumnCount() const { return static_cast<int>(impl_->columns.size()); }
const std::vector<GridSource::Column>& GridSource::Columns() const { return impl_->columns; }
const std::string& GridSource::ColumnName(int column) const { return impl_->columns.at(std::size_t(column)).name; }
std::optional<JetType> GridSource::ColumnJetType(int column) const {
    return impl_->columns.at(std::size_t(column)).jetType;
}
int GridSource::ColumnType(int column) const { return impl_->columns.at(std::size_t(column)).adoType; }

std::int64_t GridSource::RowCount() {
    impl_->refresh();
    return impl_->count;
}

std::vector<GridSource::Row> GridSource::Fetch(std::int64_t firstRow, std::int64_t count) {
    impl_->refresh();
    std::vector<Row> rows;
    if (firstRow < 0 || count <= 0 || firstRow >= impl_->count) return rows;
    const std::int64_t last = std::min(firstRow + count, impl_->count) - 1;
    if (impl_->orderColumn >= 0) return impl_->fetchOrdered(firstRow, last);
    const auto& t = impl_->table;
    Statement st(impl_->db, t.selectWithRowid() + " WHERE " + t.rowid + " BETWEEN ? AND ? ORDER BY " + t.rowid);
    st.bind(1, impl_->rowidAt(firstRow));
    st.bind(2, impl_->rowidAt(last));
    while (st.step()) rows.push_back(impl_->readRow(st));
    return rows;
}

void GridSource::SetOrder(int column, bool descending) {
    if (column >= ColumnCount()) throw vts::Error("There is no column " + std::to_string(column) + " to sort by.");
    impl_->orderColumn = std::max(column, -1);
    impl_->descending = column >= 0 && descending;
    impl_->stale = true;
    impl_->refresh();
}

int GridSource::OrderColumn() const { return impl_->orderColumn; }
bool GridSource::OrderDescending() const { return impl_->descending; }

std::int64_t GridSource::Insert(const std::vector<pdx::Value>& values, std::int64_t rowid) {
    if (values.size() != impl_->columns.size())
        throw vts::Error("A new row needs " + std::to_string(ColumnCount()) + " values.");
    const auto& t = impl_->table;
    std::string places = "?";
    for (std::size_t i = 0; i < values.size(); ++i) places += ", ?";
    Savepoint edit(impl_->db, "vts_edit", Savepoint::Intent::Write);
    impl_->requireWholeTable();
    Statement st(impl_->db, "INSERT INTO " + quoteIdentifier(t.name) + " (" + t.rowid + ", " + t.quotedColumns() +
                                ") VALUES (" + places + ")");
    if (rowid > 0) st.bind(1, pdx::Value(rowid));
    for (std::size_t i = 0; i < values.size(); ++i) st.bind(int(i) + 2, impl_->stored(int(i), values[i]));
    st.step();
    const std::int64_t added = sqlite3_last_insert_rowid(impl_->db.get());
    setUnsavedEdits(impl_->db, t.name, true);
    edit.keep();
    impl_->added(added, rowid > 0);
    return added;
}

std::vector<GridSource::Row> GridSource::Delete(const std::vector<std::int64_t>& rowids) {
    const auto& t = impl_->table;
    std::vector<Row> gone;
    Savepoint edit(impl_->db, "vts_edit", Savepoint::Intent::Write);
    impl_->requireWholeTable();
    Statement read(impl_->db, t.selectWithRowid() + " WHERE " + t.rowid + " = ?");
    Statement del(impl_->db, "DELETE FROM " + quoteIdentifier(t.name) + " WHERE " + t.rowid + " = ?");
    for (const std::int64_t id : rowids) {
        read.bind(1, id);
        if (!read.step()) throw vts::Error(kMoved);
        gone.push_back(impl_->readRow(read));
        read.reset();
        keepBaseRow(impl_->db, t, id);
        del.bind(1, id);
        del.step();
        del.reset();
    }
    if (!gone.empty()) setUnsavedEdits(impl_->db, t.name, true);
    edit.keep();
    impl_->deleted(rowids);
    return gone;
}

std::int64_t GridSource::NextNumber(int column) {
    return impl_->single("SELECT coalesce(max(CAST(" + quoteIdentifier(impl_->columns.at(std::size_t(column)).name) +
                         " AS INTEGER)), 0) + 1 FROM " + quoteIdentifier(impl_->table.name));
}

bool GridSource::HoldsValues(const std::vector<int>& columns, const std::vector<pdx::Value>& values) {
    std::string where;
    for (const int c : columns)
        where += (where.empty() ? "" : " AND ") + quoteIdentifier(impl_->columns.at(std::size_t(c)).name) + " IS ?";
    Statement st(impl_->db, "SELECT 1 FROM " + quoteIdentifier(impl_->table.name) +
                                (where.empty() ? "" : " WHERE " + where) + " LIMIT 1");
    for (std::size_t i = 0; i < columns.size(); ++i) st.bind(int(i) + 1, impl_->stored(columns[i], values.at(i)));
    return st.step();
}

pdx::Value GridSource::Update(std::int64_t rowid, int column, const pdx::Value& expectedOld,
                              const pdx::Value& newValue) {
    const auto& c = impl_->columns.at(std::size_t(column));
    const pdx::Value stored = impl_->stored(column, newValue);
    const auto& t = impl_->table;
    const std::string col = quoteIdentifier(c.name);
    // The edit and its unsaved-edits mark stand or fall together.
    Savepoint edit(impl_->db, "vts_edit", Savepoint::Intent::Write);
    keepBaseRow(impl_->db, t, rowid);
    Statement st(impl_->db, "UPDATE " + quoteIdentifier(t.name) + " SET " + col + " = ? WHERE " + t.rowid +
                                " = ? AND " + col + " IS ?");
    st.bind(1, stored);
    st.bind(2, rowid);
    st.bind(3, expectedOld);
    st.step();
    if (sqlite3_changes(impl_->db.get()) == 0) throw vts::Error(kMoved);
    setUnsavedEdits(impl_->db, t.name, true);
    edit.keep();
    Statement check(impl_->db, "SELECT " + col + " FROM " + quoteIdentifier(t.name) + " WHERE " + t.rowid + " = ?");
    check.bind(1, rowid);
    return check.step() ? check.column(0) : stored;
}

}  // namespace db
