// Turns a working-table value (its text form or SQLite's stored form) back into the value of a
// Paradox field.
#include "platform/db/paradox_values.h"

#include <cmath>

#include "platform/db/stored_values.h"
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

}  // namespace db
