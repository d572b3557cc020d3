// The grid's window onto one working table: columns, row count, rows by position, cell edits.
#include "platform/db/grid_source.h"

#include "platform/db/column_values.h"
#include "platform/db/jet_types.h"
#include "platform/db/source_structure.h"
#include "platform/db/working_table.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

// Work that is undone unless it ends well: a read transaction (its lock held only within one
// call) or an edit's savepoint.
class UndoUnlessDone {
public:
    UndoUnlessDone(SqliteDb& db, const char* begin, const char* done, const char* undo)
        : db_(db), done_(done), undo_(undo) {
        db_.exec(begin);
    }
    ~UndoUnlessDone() {
        if (open_) sqlite3_exec(db_.get(), undo_, nullptr, nullptr, nullptr);
    }
    void finish() {
        db_.exec(done_);
        open_ = false;
    }

private:
    SqliteDb& db_;
    const char* done_;
    const char* undo_;
    bool open_ = true;
};

}  // namespace

// Row positions map to rowids: directly when the rowids are 1..N (a fresh import), else through
// a vector of all rowids. Both are rebuilt only when another connection changed the database.
struct GridSource::Impl {
    SqliteDb db;
    WorkingTable table;
    std::vector<Column> columns;
    std::int64_t seenVersion = -1;
    std::int64_t count = 0;
    bool dense = true;
    std::vector<std::int64_t> rowids;

    Impl(const std::string& path, const std::string& name)
        : db(path, false, false), table(WorkingTable::describe(db, name)) {
        for (const auto& c : table.columns) columns.push_back({c.name, c.jetType(), adoTypeOfDeclared(c.declaredType)});
    }

    std::int64_t single(const std::string& sql) const {
        Statement st(db, sql);
        st.step();
        return st.columnInt(0);
    }

    void refresh() {
        const auto version = single("PRAGMA data_version");
        if (version == seenVersion) return;
        const std::string from = " FROM " + quoteIdentifier(table.name);
        UndoUnlessDone snapshot(db, "BEGIN", "COMMIT",
                                "ROLLBACK");  // count, ends and rowids from one state of the table
        // Three queries: SQLite answers each alone without reading the rows.
        count = single("SELECT count(*)" + from);
        dense = count == 0 || (single("SELECT min(" + table.rowid + ")" + from) == 1 &&
                               single("SELECT max(" + table.rowid + ")" + from) == count);
        rowids.clear();
        if (!dense) {
            rowids.reserve(static_cast<std::size_t>(count));
            Statement ids(db, "SELECT " + table.rowid + from + " ORDER BY " + table.rowid);
            while (ids.step()) rowids.push_back(ids.columnInt(0));
            count = static_cast<std::int64_t>(rowids.size());
        }
        snapshot.finish();
        seenVersion = version;
    }

    std::int64_t rowidAt(std::int64_t position) const {
        return dense ? position + 1 : rowids[static_cast<std::size_t>(position)];
    }
};

GridSource::GridSource(const std::string& dbPath, const std::string& table)
    : impl_(std::make_unique<Impl>(dbPath, table)) {}

GridSource::~GridSource() = default;

int GridSource::ColumnCount() const { return static_cast<int>(impl_->columns.size()); }
const std::vector<GridSource::Column>& GridSource::Columns() const { return impl_->columns; }
const std::string& GridSource::ColumnName(int column) const { return impl_->columns.at(std::size_t(column)).name; }
const std::string& GridSource::ColumnJetType(int column) const {
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
    const auto& t = impl_->table;
    Statement st(impl_->db, t.selectWithRowid() + " WHERE " + t.rowid + " BETWEEN ? AND ? ORDER BY " + t.rowid);
    st.bind(1, impl_->rowidAt(firstRow));
    st.bind(2, impl_->rowidAt(last));
    while (st.step()) {
        Row row{st.columnInt(0), {}};
        for (int i = 0; i < ColumnCount(); ++i) row.values.push_back(st.column(i + 1));
        rows.push_back(std::move(row));
    }
    return rows;
}

pdx::Value GridSource::Update(std::int64_t rowid, int column, const pdx::Value& expectedOld,
                              const pdx::Value& newValue) {
    const auto& c = impl_->columns.at(std::size_t(column));
    pdx::Value stored;
    try {
        stored = valueForColumn(newValue, c.jetType);
    } catch (const vts::Error& e) {
        throw vts::Error("The value does not suit the column \"" + c.name + "\" (" + c.jetType + "): " + e.what());
    }
    const auto& t = impl_->table;
    const std::string col = quoteIdentifier(c.name);
    // The edit and its unsaved-edits mark stand or fall together.
    UndoUnlessDone edit(impl_->db, "SAVEPOINT vts_edit", "RELEASE vts_edit", "ROLLBACK TO vts_edit; RELEASE vts_edit");
    Statement st(impl_->db, "UPDATE " + quoteIdentifier(t.name) + " SET " + col + " = ? WHERE " + t.rowid +
                                " = ? AND " + col + " IS ?");
    st.bind(1, stored);
    st.bind(2, rowid);
    st.bind(3, expectedOld);
    st.step();
    if (sqlite3_changes(impl_->db.get()) == 0)
        throw vts::Error(
            "The row was changed or deleted since it was shown. Reload the table to see the current values.");
    setUnsavedEdits(impl_->db, t.name, true);
    edit.finish();
    Statement check(impl_->db, "SELECT " + col + " FROM " + quoteIdentifier(t.name) + " WHERE " + t.rowid + " = ?");
    check.bind(1, rowid);
    return check.step() ? check.column(0) : stored;
}

}  // namespace db
