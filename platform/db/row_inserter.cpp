#include "platform/db/row_inserter.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "platform/db/jet_types.h"
#include "platform/db/paradox_values.h"
#include "platform/pdx/format/value_text.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

// The double a plain decimal text stands for, correctly rounded; nullopt for anything else
// (blanks, inf, nan, hexadecimal, out of range). SQLite 3.40 reads a few full-precision texts
// one unit in the last place off, so such texts are bound as doubles instead.
std::optional<double> decimalText(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos) return std::nullopt;
    if (text.find_first_of("0123456789") == std::string_view::npos || text.front() == '+') return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

RowInserter::RowInserter(const SqliteDb& db, const std::string& table) : db_(db), table_(table) {
    Statement columns(db_, "SELECT type FROM pragma_table_info(?) ORDER BY cid");
    columns.bind(1, table);
    while (columns.step()) realColumn_.push_back(hasRealAffinity(pdx::toText(columns.column(0))));
    if (realColumn_.empty()) throw vts::Error("no such table: " + table);
    std::string sql = "INSERT INTO " + quoteIdentifier(table) + " VALUES(";
    for (std::size_t i = 0; i < realColumn_.size(); ++i) sql += i ? ", ?" : "?";
    sql += ")";
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db_.get(), sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw,
                           nullptr) != SQLITE_OK)
        throw vts::Error(db_.errorText());
    statement_.reset(raw);
}

int RowInserter::bindText(int index, std::string_view text, bool realColumn, sqlite3_destructor_type keep) {
    sqlite3_stmt* st = statement_.get();
    const auto number = realColumn ? decimalText(text) : std::nullopt;
    return number ? sqlite3_bind_double(st, index, *number)
                  : sqlite3_bind_text64(st, index, text.data(), text.size(), keep, SQLITE_UTF8);
}

void RowInserter::bind(int index, const pdx::Value& value, bool realColumn) {
    sqlite3_stmt* st = statement_.get();
    int rc = SQLITE_OK;
    if (const auto* text = std::get_if<std::string>(&value)) {
        rc = bindText(index, *text, realColumn, SQLITE_STATIC);
    } else if (!isStorageClass(value)) {
        rc = bindText(index, pdx::toText(value), realColumn, SQLITE_TRANSIENT);
    } else if (const auto* bytes = std::get_if<pdx::Bytes>(&value)) {
        // A null data pointer would bind NULL, not an empty blob.
        rc = bytes->empty() ? sqlite3_bind_zeroblob(st, index, 0)
                            : sqlite3_bind_blob64(st, index, bytes->data(), bytes->size(), SQLITE_STATIC);
    } else if (const auto* whole = std::get_if<std::int64_t>(&value)) {
        rc = sqlite3_bind_int64(st, index, *whole);
    } else if (const auto* real = std::get_if<double>(&value)) {
        rc = sqlite3_bind_double(st, index, *real);
    } else {
        rc = sqlite3_bind_null(st, index);
    }
    if (rc != SQLITE_OK) throw vts::Error(db_.errorText());
}

void RowInserter::insert(const std::vector<pdx::Value>& row) {
    if (row.size() != realColumn_.size())
        throw vts::Error("table " + table_ + " has " + std::to_string(realColumn_.size()) + " columns but " +
                         std::to_string(row.size()) + " values were supplied");
    sqlite3_stmt* st = statement_.get();
    // Never left active or holding pointers into the caller's values.
    struct Done {
        sqlite3_stmt* st;
        ~Done() {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
        }
    } done{st};
    for (std::size_t i = 0; i < row.size(); ++i) bind(static_cast<int>(i) + 1, row[i], realColumn_[i]);
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) throw vts::Error(db_.errorText());
}

}  // namespace db
