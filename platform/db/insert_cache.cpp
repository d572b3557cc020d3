// Carries out simple INSERT statements through prepared statements kept per statement shape.
#include "platform/db/insert_cache.h"

#include "platform/db/value_text.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

// A few tables at a time get rows; more shapes than this are not worth keeping.
constexpr std::size_t kMaxStatements = 32;

}  // namespace

sqlite3_stmt* InsertCache::statementFor(const std::string& shape) {
    if (auto found = statements_.find(shape); found != statements_.end()) return found->second.get();
    sqlite3_stmt* raw = nullptr;
    // v3 re-prepares by itself when the schema changes, like v2; "persistent" tells SQLite the
    // statement is kept for a long time.
    const int rc = sqlite3_prepare_v3(db_.get(), shape.c_str(), static_cast<int>(shape.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    Prepared st(raw);
    if (rc != SQLITE_OK || !st) return nullptr;
    if (statements_.size() >= kMaxStatements) statements_.clear();
    return statements_.emplace(shape, std::move(st)).first->second.get();
}

bool InsertCache::bindAll(sqlite3_stmt* st) {
    int index = 0;
    for (const auto& literal : parsed_.literals) {
        ++index;
        int rc = SQLITE_OK;
        switch (literal.kind) {
        case SimpleLiteral::Null: rc = sqlite3_bind_null(st, index); break;
        case SimpleLiteral::Integer: rc = sqlite3_bind_int64(st, index, literal.integer); break;
        case SimpleLiteral::Text:
            if (literal.doubledQuote) {
                unescapeText(literal, text_);
                rc = sqlite3_bind_text64(st, index, text_.data(), text_.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            } else {  // the statement text outlives the step
                rc = sqlite3_bind_text64(st, index, literal.body.data(), literal.body.size(), SQLITE_STATIC,
                                         SQLITE_UTF8);
            }
            break;
        case SimpleLiteral::Blob: {
            const auto bytes = parseHex(literal.body);
            if (!bytes) return false;  // the parser checked the digits
            // A null data pointer would bind NULL, not an empty blob.
            rc = bytes->empty() ? sqlite3_bind_zeroblob(st, index, 0)
                                : sqlite3_bind_blob64(st, index, bytes->data(), bytes->size(), SQLITE_TRANSIENT);
            break;
        }
        }
        if (rc != SQLITE_OK) return false;  // too long for SQLite: refused the ordinary way
    }
    return true;
}

InsertCache::Outcome InsertCache::run(sqlite3_stmt* st) {
    // Never left active or holding pointers into a caller's text.
    struct Done {
        sqlite3_stmt* st;
        ~Done() {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
        }
    } done{st};
    Outcome out;
    if (!bindAll(st)) {
        out.bound = false;
        return out;
    }
    out.rc = sqlite3_step(st);
    if (out.rc != SQLITE_DONE && out.rc != SQLITE_ROW) out.why = db_.errorText();
    return out;
}

bool InsertCache::tryExecute(const std::string& sql) {
    if (!parseSimpleInsert(sql, parsed_)) return false;
    sqlite3_stmt* st = statementFor(parsed_.shape);
    if (!st) return false;
    const Outcome outcome = run(st);
    if (!outcome.bound) return false;  // nothing was written
    if (outcome.rc == SQLITE_DONE || outcome.rc == SQLITE_ROW) return true;
    const int primary = outcome.rc & 0xFF;
    if (primary == SQLITE_ERROR || primary == SQLITE_SCHEMA) {
        // The table changed under the statement and SQLite could not re-plan it; nothing was
        // written, so the ordinary path runs it and reports what is wrong.
        statements_.erase(parsed_.shape);
        return false;
    }
    throw vts::Error(outcome.why + " (in \"" + sql + "\")");
}

}  // namespace db
