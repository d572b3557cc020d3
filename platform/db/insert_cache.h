// Carries out simple INSERT statements (see simple_insert.h) through prepared statements kept per
// statement shape, with the literals bound: SQLite parses and plans each shape only once.
#pragma once
#include <sqlite3.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/db/simple_insert.h"
#include "platform/db/sqlite_handle.h"

namespace db {

class InsertCache {
public:
    explicit InsertCache(const SqliteDb& db) : db_(db) {}
    // True when `sql` was carried out here. False when it is not a simple INSERT, or SQLite
    // refused to plan it or to take one of its values (nothing was written then): the caller runs
    // it the ordinary way, which reports the error as for any statement. Throws vts::Error when
    // the insert itself fails.
    bool tryExecute(const std::string& sql);
    // Forgets every statement (after schema changes, and before the connection closes).
    void clear() { statements_.clear(); }

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
    };
    using Prepared = std::unique_ptr<sqlite3_stmt, Finalizer>;
    struct Kept {
        Prepared statement;
        // Per value: its column has REAL affinity. SQLite 3.40 turns such texts into doubles that
        // are not always the nearest (one unit in the last place off), so those are bound as
        // correctly rounded doubles instead.
        std::vector<bool> realColumn;
    };

    struct Outcome {
        bool bound = true;  // false: a value was refused before the step
        int rc = SQLITE_OK;
        std::string why;  // SQLite's message when the step failed
    };
    const Kept* statementFor(const std::string& shape);
    std::vector<bool> realColumns(const std::string& shape) const;
    bool bindAll(const Kept& kept);  // false when SQLite refuses a value
    Outcome run(const Kept& kept);   // binds, steps, and leaves the statement reset

    const SqliteDb& db_;
    std::unordered_map<std::string, Kept> statements_;
    SimpleInsert parsed_;  // reused from call to call
    std::string text_;     // the unescaped text of one literal
};

}  // namespace db
