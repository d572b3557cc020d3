// Walks one working table in rowid order, a batch of rows at a time, so no statement stays
// active between calls and the table can be dropped or replaced from another connection.
#pragma once
#include <memory>

#include "platform/db/cursor.h"
#include "platform/db/working_table.h"

namespace db {

class SqliteTableCursor : public Cursor {
public:
    // `gridSource` enables dataSource(). Counts the rows without reading them.
    SqliteTableCursor(std::shared_ptr<SqliteDb> db, const std::string& table, bool gridSource);
    bool eof() override;
    void moveNext() override;
    std::int64_t recordCount() const override { return count_; }
    const Variant& value(int column) override;
    std::shared_ptr<GridSource> dataSource() const override;

private:
    void fetchBatch();
    std::shared_ptr<SqliteDb> db_;
    WorkingTable table_;
    bool gridSource_;
    std::int64_t count_ = 0;
    std::vector<std::vector<Variant>> batch_;
    std::size_t pos_ = 0;
    bool exhausted_ = false;
    std::int64_t lastRowid_ = 0;
    bool started_ = false;  // a first batch was read
};

}  // namespace db
