// Adds rows to one working table through one prepared statement, each value bound as it is:
// no statement text is built per row, and SQLite plans the insert once.
#pragma once
#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/sqlite_handle.h"
#include "platform/pdx/format/types.h"

namespace db {

class RowInserter {
public:
    // Throws vts::Error when the table does not exist.
    RowInserter(const SqliteDb& db, const std::string& table);

    const std::string& table() const { return table_; }
    // One value per column. A text is stored the way SQLite stores that text as a literal (the
    // column's type makes a number of it where it does); a decimal text for a column of REAL
    // type is stored as its nearest double. A value of no SQLite storage class is taken as its
    // stored form, a text. Throws vts::Error with SQLite's reason.
    void insert(const std::vector<pdx::Value>& row);

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
    };
    void bind(int index, const pdx::Value& value, bool realColumn);
    // SQLITE_STATIC when the text outlives the step, SQLITE_TRANSIENT for SQLite's own copy.
    int bindText(int index, std::string_view text, bool realColumn, sqlite3_destructor_type keep);

    const SqliteDb& db_;
    std::string table_;
    std::vector<bool> realColumn_;  // per column: REAL affinity
    std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
};

}  // namespace db
