// Owning wrappers for a SQLite database handle and a prepared statement.
#include "platform/db/sqlite_handle.h"

#include <chrono>
#include <thread>
#include <utility>

#include "platform/db/paradox_values.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

// Another connection's write is waited for up to five seconds, looking every millisecond: the
// import's copy leaves the lock free only a few milliseconds between its transactions, which
// SQLite's own waiting, in ever longer sleeps, would mostly miss.
int waitForTheLock(void*, int tries) {
    if (tries >= 5000) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

}  // namespace

SqliteDb::SqliteDb(const std::string& path, bool readOnly, bool create) : path_(path) {
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (create && !readOnly) flags |= SQLITE_OPEN_CREATE;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) {
        const std::string why = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        throw vts::Error("The working database \"" + path + "\" cannot be opened: " + why);
    }
    sqlite3_extended_result_codes(raw, 1);
    // Another connection may hold the file for a moment (the grid reading, an import writing).
    sqlite3_busy_handler(raw, waitForTheLock, nullptr);
    // A file that is not a SQLite database is only noticed on first read.
    try {
        exec("SELECT count(*) FROM sqlite_master");
    } catch (const vts::Error&) {
        throw vts::Error("The working database \"" + path + "\" cannot be opened: " + errorText());
    }
}

void SqliteDb::exec(const std::string& sql) {
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return;
    if ((rc & 0xff) == SQLITE_BUSY) throw DatabaseBusy(errorText() + " (in \"" + sql + "\")");
    throw vts::Error(errorText() + " (in \"" + sql + "\")");
}

std::string SqliteDb::errorText() const { return sqlite3_errmsg(db_.get()); }

Savepoint::Savepoint(SqliteDb& db, std::string name, Intent intent)
    : db_(db), name_(std::move(name)), outermost_(intent == Intent::Write && sqlite3_get_autocommit(db.get()) != 0) {
    db_.exec(outermost_ ? "BEGIN IMMEDIATE" : "SAVEPOINT " + name_);
}

Savepoint::~Savepoint() {
    if (!open_) return;
    // The error on its way is the one to report; a failed undo leaves SQLite to roll back.
    const std::string undo = outermost_ ? "ROLLBACK" : "ROLLBACK TO " + name_ + "; RELEASE " + name_;
    sqlite3_exec(db_.get(), undo.c_str(), nullptr, nullptr, nullptr);
}

void Savepoint::keep() {
    db_.exec(outermost_ ? "COMMIT" : "RELEASE " + name_);  // a failed commit stays open for the destructor to undo
    open_ = false;
}

void Savepoint::undo() {
    db_.exec(outermost_ ? "ROLLBACK" : "ROLLBACK TO " + name_ + "; RELEASE " + name_);
    open_ = false;
}

Statement::Statement(const SqliteDb& db, const std::string& sql, std::string* tail) : db_(db.get()), sql_(sql) {
    sqlite3_stmt* raw = nullptr;
    const char* rest = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &raw, &rest);
    stmt_.reset(raw);
    if (rc != SQLITE_OK) throw vts::Error(std::string(sqlite3_errmsg(db_)) + " (in \"" + sql + "\")");
    if (!raw) throw vts::Error("No statement in \"" + sql + "\"");
    if (tail) *tail = rest ? std::string(rest) : std::string();
}

void Statement::bind(int index, const pdx::Value& v) {
    if (!isStorageClass(v)) {
        bind(index, storedForm(v));
        return;
    }
    sqlite3_stmt* s = stmt_.get();
    int rc = SQLITE_OK;
    if (pdx::isNull(v)) {
        rc = sqlite3_bind_null(s, index);
    } else if (auto i = std::get_if<std::int64_t>(&v)) {
        rc = sqlite3_bind_int64(s, index, *i);
    } else if (auto d = std::get_if<double>(&v)) {
        rc = sqlite3_bind_double(s, index, *d);
    } else if (auto t = std::get_if<std::string>(&v)) {
        rc = sqlite3_bind_text64(s, index, t->data(), t->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    } else {
        const auto& b = std::get<pdx::Bytes>(v);
        // A null data pointer would bind NULL, not an empty blob.
        rc = b.empty() ? sqlite3_bind_zeroblob(s, index, 0)
                       : sqlite3_bind_blob64(s, index, b.data(), b.size(), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK) throw vts::Error(std::string(sqlite3_errmsg(db_)) + " (in \"" + sql_ + "\")");
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const std::string why = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_.get());
    throw vts::Error(why + " (in \"" + sql_ + "\")");
}

void Statement::reset() { sqlite3_reset(stmt_.get()); }

int Statement::columnCount() const { return sqlite3_column_count(stmt_.get()); }

std::string Statement::columnName(int i) const {
    const char* n = sqlite3_column_name(stmt_.get(), i);
    return n ? n : "";
}

std::string Statement::declaredType(int i) const {
    const char* t = sqlite3_column_decltype(stmt_.get(), i);
    return t ? t : "";
}

pdx::Value Statement::column(int i) const {
    sqlite3_stmt* s = stmt_.get();
    switch (sqlite3_column_type(s, i)) {
        case SQLITE_INTEGER: return std::int64_t{sqlite3_column_int64(s, i)};
        case SQLITE_FLOAT: return sqlite3_column_double(s, i);
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
            return std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
        }
        case SQLITE_BLOB: {
            const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(s, i));
            return pdx::Bytes(p, p + sqlite3_column_bytes(s, i));
        }
        default: return std::monostate{};
    }
}

std::int64_t Statement::columnInt(int i) const { return sqlite3_column_int64(stmt_.get(), i); }

std::string quoteIdentifier(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace db
