// The values of the working tables: the form a value is stored in, and a stored column read
// straight into a Paradox field value.
#include "platform/db/stored_values.h"

#include <string_view>

#include "platform/db/paradox_values.h"
#include "platform/pdx/format/value_text.h"

namespace db {

namespace {

using T = pdx::FieldType;

void assignText(std::string_view text, pdx::Value& out) {
    if (auto* kept = std::get_if<std::string>(&out)) kept->assign(text);
    else out = std::string(text);
}

// Stored text the fast way; false leaves the value to toParadoxValue (other forms, errors).
bool fromText(std::string_view text, T type, pdx::Value& out) {
    switch (type) {
        case T::Alpha:
        case T::Memo: assignText(text, out); return true;
        case T::Date:
            if (auto dt = pdx::parseDateTime(text); dt && dt->ms == 0) {
                out = pdx::Date{dt->day};
                return true;
            }
            return false;
        case T::Timestamp:
            if (auto ts = pdx::parseTimestamp(text)) {
                out = *ts;
                return true;
            }
            return false;
        case T::Logical:
            if (auto b = pdx::parseLogical(text)) {
                out = *b;
                return true;
            }
            return false;
        default: return false;
    }
}

bool isWholeNumberField(T type) { return type == T::Short || type == T::Long || type == T::AutoInc; }

}  // namespace

bool isStorageClass(const pdx::Value& v) {
    return std::holds_alternative<std::monostate>(v) || std::holds_alternative<std::int64_t>(v) ||
           std::holds_alternative<double>(v) || std::holds_alternative<std::string>(v) ||
           std::holds_alternative<pdx::Bytes>(v);
}

pdx::Value storedForm(const pdx::Value& v) { return isStorageClass(v) ? v : pdx::Value{pdx::toText(v)}; }

void readParadoxValue(const Statement& st, int column, pdx::FieldType type, pdx::Value& out) {
    // One column lookup instead of one per call. SQLite calls this value "unprotected", which
    // matters only when other threads use the connection; ours are opened for one thread.
    sqlite3_value* v = sqlite3_column_value(st.get(), column);
    switch (sqlite3_value_type(v)) {
        case SQLITE_NULL: out = std::monostate{}; return;
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
            const std::string_view text(p, static_cast<std::size_t>(sqlite3_value_bytes(v)));
            if (text.empty()) {
                out = std::monostate{};
                return;
            }
            if (fromText(text, type, out)) return;
            break;
        }
        case SQLITE_INTEGER:
            if (isWholeNumberField(type)) {
                out = std::int64_t{sqlite3_value_int64(v)};
                return;
            }
            break;
        case SQLITE_FLOAT:
            if (type == T::Number || type == T::Currency) {
                out = sqlite3_value_double(v);
                return;
            }
            break;
    }
    out = toParadoxValue(st.column(column), type);
}

}  // namespace db
