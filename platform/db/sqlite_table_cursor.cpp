// Walks one working table in rowid order, a batch of rows at a time, so no statement stays
// active between calls and the table can be dropped or replaced from another connection.
#include "platform/db/sqlite_table_cursor.h"

#include "platform/db/jet_types.h"
#include "platform/shell/errors.h"

namespace db {

namespace {
constexpr int kBatchRows = 256;
constexpr std::size_t kBatchBytes = 4 << 20;  // blobs can be megabytes each: bound the memory too

std::size_t sizeOf(const Variant& v) {
    if (auto t = std::get_if<std::string>(&v)) return t->size();
    if (auto b = std::get_if<Bytes>(&v)) return b->size();
    return sizeof(Variant);
}
}  // namespace

SqliteTableCursor::SqliteTableCursor(std::shared_ptr<SqliteDb> db, const std::string& table, bool gridSource)
    : db_(std::move(db)), table_(WorkingTable::describe(*db_, table)), gridSource_(gridSource) {
    for (const auto& c : table_.columns) columns_.push_back({c.name, adoTypeOfDeclared(c.declaredType)});
    Statement count(*db_, "SELECT count(*) FROM " + quoteIdentifier(table));
    count.step();
    count_ = count.columnInt(0);
}

void SqliteTableCursor::fetchBatch() {
    batch_.clear();
    pos_ = 0;
    std::string sql = table_.selectWithRowid();
    if (started_) sql += " WHERE " + table_.rowid + " > ?";
    sql += " ORDER BY " + table_.rowid + " LIMIT " + std::to_string(kBatchRows);
    Statement st(*db_, sql);
    if (started_) st.bind(1, lastRowid_);
    std::size_t bytes = 0;
    bool full = false;
    while (!full && st.step()) {
        std::vector<Variant> row;
        row.reserve(table_.columns.size());
        for (std::size_t i = 0; i < table_.columns.size(); ++i) {
            row.push_back(st.column(static_cast<int>(i) + 1));
            bytes += sizeOf(row.back());
        }
        lastRowid_ = st.columnInt(0);
        batch_.push_back(std::move(row));
        full = bytes >= kBatchBytes || batch_.size() == static_cast<std::size_t>(kBatchRows);
    }
    started_ = true;
    exhausted_ = !full;
}

bool SqliteTableCursor::eof() {
    if (!started_) fetchBatch();
    if (pos_ >= batch_.size() && !exhausted_) fetchBatch();
    return pos_ >= batch_.size();
}

void SqliteTableCursor::moveNext() {
    if (eof()) throw vts::Error("The record set is at its end (EOF): there is no next row.");
    ++pos_;
}

const Variant& SqliteTableCursor::value(int column) {
    if (eof()) throw vts::Error("The record set is at its end (EOF): there is no current row.");
    return batch_[pos_].at(static_cast<std::size_t>(column));
}

std::shared_ptr<GridSource> SqliteTableCursor::dataSource() const {
    if (!gridSource_) return nullptr;
    return std::make_shared<GridSource>(db_->path(), table_.name);
}

}  // namespace db
