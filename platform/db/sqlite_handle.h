// Owning wrappers for a SQLite database handle and a prepared statement.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/pdx/format/types.h"
#include "platform/shell/errors.h"

namespace db {

// Another connection kept the database locked for longer than a connection waits.
struct DatabaseBusy : vts::Error {
    using vts::Error::Error;
};

class SqliteDb {
public:
    // Opens (and with `create`, creates) the database file; throws vts::Error naming the file,
    // also when the file exists but is not a SQLite database.
    SqliteDb(const std::string& path, bool readOnly, bool create);
    sqlite3* get() const { return db_.get(); }
    const std::string& path() const { return path_; }
    // Runs statements with no result (transaction control, pragmas); throws vts::Error.
    void exec(const std::string& sql);
    std::string errorText() const;

private:
    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    std::string path_;
    std::unique_ptr<sqlite3, Closer> db_;
};

// A prepared statement; finalized (and so never left active) when it goes out of scope.
class Statement {
public:
    // Throws vts::Error with SQLite's message and the statement text. `tail` receives the
    // unparsed rest of the text when given.
    Statement(const SqliteDb& db, const std::string& sql, std::string* tail = nullptr);
    sqlite3_stmt* get() const { return stmt_.get(); }

    // 1-based. A value of no SQLite storage class (a logical, date, ...) is bound as its stored
    // form, the text the import stores.
    void bind(int index, const pdx::Value& v);
    bool step();  // true while a row is available; throws on error
    void reset();
    int columnCount() const;
    std::string columnName(int i) const;
    std::string declaredType(int i) const;  // "" when the column is an expression
    pdx::Value column(int i) const;         // Null, whole number, double, text or bytes
    std::int64_t columnInt(int i) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
    };
    sqlite3* db_;
    std::string sql_;
    std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

// Work kept only when it ends well: a savepoint, released by keep(), undone when the scope is left
// otherwise (an exception on its way) or by undo(). Outside a transaction it is one (a read under
// it sees one state of the database); inside a caller's transaction it nests.
class Savepoint {
public:
    // Writes: outside a transaction, the write lock is taken at once, waiting for another
    // connection's write to end. A read first and a write after could find the database
    // changed in between, which SQLite refuses without waiting.
    enum class Intent { Read, Write };
    Savepoint(SqliteDb& db, std::string name, Intent intent = Intent::Read);  // throws vts::Error
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    void keep();  // throws vts::Error
    void undo();  // throws vts::Error

private:
    SqliteDb& db_;
    std::string name_;
    bool outermost_;  // a transaction of its own, begun for writing
    bool open_ = true;
};

// "a""b" for a"b: an identifier quoted for SQLite.
std::string quoteIdentifier(const std::string& name);

}  // namespace db
