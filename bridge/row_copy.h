// The import's row copy, shared by the rows copied before the grid opens and those copied after.
#pragma once
#include <string>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/cursor.h"
#include "platform/pdx/format/types.h"

namespace vts {

// One transaction for many rows (one per INSERT would make the import many times slower). It is
// committed whether the copy ends or fails, so the rows before a failure stay.
class CommitOnExit {
public:
    // Begins the transaction, unless the caller has.
    explicit CommitOnExit(db::Connection& connection, bool begun = false) : connection_(connection) {
        if (!begun) connection_.BeginWriteTrans();
    }
    ~CommitOnExit();
    CommitOnExit(const CommitOnExit&) = delete;
    CommitOnExit& operator=(const CommitOnExit&) = delete;
    void commit();

private:
    db::Connection& connection_;
    bool open_ = true;
};

// Step 8.3 for the cursor's current row: its values inserted into `target`; then the cursor
// moves on. `values` holds the row before's values, whose storage the new ones reuse.
void copyRow(db::Cursor& table, std::vector<pdx::Value>& values, db::Connection& working, const std::string& target);

}  // namespace vts
