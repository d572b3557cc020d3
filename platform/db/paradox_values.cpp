// The values of the working tables and the Paradox fields they come from and go back to.
#include "platform/db/paradox_values.h"

#include <cmath>
#include <string_view>

#include "platform/pdx/format/value_text.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

constexpr std::int64_t kExactInteger = 9007199254740992;  // 2^53: doubles hold every integer up to it
constexpr double kExactIntegerLimit = 9007199254740992.0;

std::string shown(const pdx::Value& v) {
    if (std::holds_alternative<pdx::Bytes>(v)) return "binary data";
    std::string t = pdx::toText(v);
    if (t.size() > 60) t = t.substr(0, 57) + "...";
    return "\"" + t + "\"";
}

[[noreturn]] void unsuitable(const pdx::Value& v, const std::string& what) {
    throw vts::Error(shown(v) + " is not " + what + ".");
}

pdx::Value wholeNumber(const pdx::Value& v) {
    if (auto i = std::get_if<std::int64_t>(&v)) return *i;
    if (auto d = std::get_if<double>(&v))
        if (std::trunc(*d) == *d && std::fabs(*d) < kExactIntegerLimit) return static_cast<std::int64_t>(*d);
    if (auto t = std::get_if<std::string>(&v))
        if (auto i = pdx::parseInteger(*t)) return *i;
    unsuitable(v, "a whole number");
}

pdx::Value number(const pdx::Value& v) {
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto i = std::get_if<std::int64_t>(&v)) {
        if (*i > kExactInteger || *i < -kExactInteger) unsuitable(v, "a number a Number field holds exactly");
        return static_cast<double>(*i);
    }
    if (auto t = std::get_if<std::string>(&v))
        if (auto d = pdx::parseDouble(*t)) return *d;
    unsuitable(v, "a number");
}

pdx::Value decimal(const pdx::Value& v) {
    if (std::holds_alternative<std::int64_t>(v)) return pdx::Decimal{pdx::toText(v)};
    if (auto d = std::get_if<double>(&v)) {
        if (auto text = pdx::parseDecimal(pdx::formatDouble(*d))) return pdx::Decimal{*text};
    }
    if (auto t = std::get_if<std::string>(&v))
        if (auto text = pdx::parseDecimal(*t)) return pdx::Decimal{*text};
    unsuitable(v, "a decimal number");
}

pdx::Value date(const pdx::Value& v) {
    if (auto t = std::get_if<std::string>(&v))
        if (auto dt = pdx::parseDateTime(*t); dt && dt->ms == 0) return pdx::Date{dt->day};
    unsuitable(v, "a date (YYYY-MM-DD)");
}

pdx::Value time(const pdx::Value& v) {
    if (auto t = std::get_if<std::string>(&v))
        if (auto ms = pdx::parseTime(*t)) return pdx::Time{*ms};
    unsuitable(v, "a time (HH:MM:SS)");
}

pdx::Value timestamp(const pdx::Value& v) {
    if (auto t = std::get_if<std::string>(&v))
        if (auto ts = pdx::parseTimestamp(*t)) return *ts;
    unsuitable(v, "a date and time (YYYY-MM-DD HH:MM:SS)");
}

pdx::Value logical(const pdx::Value& v) {
    if (auto i = std::get_if<std::int64_t>(&v); i && (*i == 0 || *i == 1)) return *i == 1;
    if (auto t = std::get_if<std::string>(&v))
        if (auto b = pdx::parseLogical(*t)) return *b;
    unsuitable(v, "True or False");
}

pdx::Value text(const pdx::Value& v) {
    if (std::holds_alternative<pdx::Bytes>(v)) unsuitable(v, "text");
    return pdx::toText(v);
}

// Bytes arrive as stored, or as the hexadecimal text the import reads them in.
pdx::Value bytes(const pdx::Value& v) {
    if (auto b = std::get_if<pdx::Bytes>(&v)) return *b;
    if (auto t = std::get_if<std::string>(&v))
        if (auto b = pdx::parseHex(*t)) return *b;
    unsuitable(v, "binary data (hexadecimal digits)");
}

}  // namespace

pdx::Value toParadoxValue(const pdx::Value& v, pdx::FieldType type) {
    if (!isStorageClass(v)) return toParadoxValue(storedForm(v), type);
    if (pdx::isNull(v)) return std::monostate{};
    if (auto t = std::get_if<std::string>(&v); t && t->empty()) return std::monostate{};
    using T = pdx::FieldType;
    switch (type) {
        case T::Alpha:
        case T::Memo: return text(v);
        case T::Short:
        case T::Long:
        case T::AutoInc: return wholeNumber(v);
        case T::Number:
        case T::Currency: return number(v);
        case T::Bcd: return decimal(v);
        case T::Date: return date(v);
        case T::Time: return time(v);
        case T::Timestamp: return timestamp(v);
        case T::Logical: return logical(v);
        case T::Bytes:
        case T::Binary:
        case T::FmtMemo:
        case T::Ole:
        case T::Graphic: return bytes(v);
    }
    throw vts::Error("Unknown Paradox field type.");
}

// A stored column read straight into a field value.
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
