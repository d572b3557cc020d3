// Carries out simple INSERT statements through prepared statements kept per statement shape.
#include "platform/db/insert_cache.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "platform/db/jet_types.h"
#include "platform/db/value_text.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

// A few tables at a time get rows; more shapes than this are not worth keeping.
constexpr std::size_t kMaxStatements = 32;

// The table name of a shape "INSERT INTO `name` VALUES(...)", `` made single.
std::string tableOfShape(const std::string& shape) {
    const std::size_t start = shape.find('`') + 1;
    std::string name;
    for (std::size_t i = start; i < shape.size(); ++i) {
        if (shape[i] == '`' && (i + 1 >= shape.size() || shape[++i] != '`')) break;
        name += shape[i];
    }
    return name;
}

// The double a plain decimal text stands for, correctly rounded; nullopt for anything else
// (blanks, signs SQLite reads otherwise, inf, nan, hexadecimal, out of range).
std::optional<double> decimalText(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos) return std::nullopt;
    if (text.find_first_of("0123456789") == std::string_view::npos) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

std::vector<bool> InsertCache::realColumns(const std::string& shape) const {
    std::vector<bool> real;
    Statement st(db_, "SELECT type FROM pragma_table_info(?) ORDER BY cid");
    st.bind(1, tableOfShape(shape));
    while (st.step()) real.push_back(hasRealAffinity(toText(st.column(0))));
    return real;
}

const InsertCache::Kept* InsertCache::statementFor(const std::string& shape) {
    if (auto found = statements_.find(shape); found != statements_.end()) return &found->second;
    sqlite3_stmt* raw = nullptr;
    // v3 re-prepares by itself when the schema changes, like v2; "persistent" tells SQLite the
    // statement is kept for a long time.
    const int rc = sqlite3_prepare_v3(db_.get(), shape.c_str(), static_cast<int>(shape.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    Prepared st(raw);
    if (rc != SQLITE_OK || !st) return nullptr;
    if (statements_.size() >= kMaxStatements) statements_.clear();
    Kept kept{std::move(st), realColumns(shape)};
    return &statements_.emplace(shape, std::move(kept)).first->second;
}

bool InsertCache::bindAll(const Kept& kept) {
    sqlite3_stmt* st = kept.statement.get();
    int index = 0;
    for (const auto& literal : parsed_.literals) {
        ++index;
        int rc = SQLITE_OK;
        const bool real = static_cast<std::size_t>(index) <= kept.realColumn.size() && kept.realColumn[index - 1];
        if (literal.kind == SimpleLiteral::Text && real && !literal.doubledQuote) {
            if (const auto value = decimalText(literal.body)) {
                if (sqlite3_bind_double(st, index, *value) != SQLITE_OK) return false;
                continue;
            }
        }
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

InsertCache::Outcome InsertCache::run(const Kept& kept) {
    sqlite3_stmt* st = kept.statement.get();
    // Never left active or holding pointers into a caller's text.
    struct Done {
        sqlite3_stmt* st;
        ~Done() {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
        }
    } done{st};
    Outcome out;
    if (!bindAll(kept)) {
        out.bound = false;
        return out;
    }
    out.rc = sqlite3_step(st);
    if (out.rc != SQLITE_DONE && out.rc != SQLITE_ROW) out.why = db_.errorText();
    return out;
}

bool InsertCache::tryExecute(const std::string& sql) {
    if (!parseSimpleInsert(sql, parsed_)) return false;
    const Kept* kept = statementFor(parsed_.shape);
    if (!kept) return false;
    const Outcome outcome = run(*kept);
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
