// Turns a working-table value (its text form or SQLite's stored form) back into the value of a
// Paradox field.
#include "platform/db/paradox_values.h"

#include <cmath>

#include "platform/db/value_text.h"
#include "platform/pdx/codec.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

constexpr std::int64_t kExactInteger = 9007199254740992;  // 2^53: doubles hold every integer up to it
constexpr double kExactIntegerLimit = 9007199254740992.0;

std::string shown(const Variant& v) {
    if (std::holds_alternative<Bytes>(v)) return "binary data";
    std::string t = toText(v);
    if (t.size() > 60) t = t.substr(0, 57) + "...";
    return "\"" + t + "\"";
}

[[noreturn]] void unsuitable(const Variant& v, const std::string& what) {
    throw vts::Error(shown(v) + " is not " + what + ".");
}

pdx::Value wholeNumber(const Variant& v) {
    if (auto i = std::get_if<std::int64_t>(&v)) return *i;
    if (auto d = std::get_if<double>(&v))
        if (std::trunc(*d) == *d && std::fabs(*d) < kExactIntegerLimit) return static_cast<std::int64_t>(*d);
    if (auto t = std::get_if<std::string>(&v))
        if (auto i = parseInteger(*t)) return *i;
    unsuitable(v, "a whole number");
}

pdx::Value number(const Variant& v) {
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto i = std::get_if<std::int64_t>(&v)) {
        if (*i > kExactInteger || *i < -kExactInteger) unsuitable(v, "a number a Number field holds exactly");
        return static_cast<double>(*i);
    }
    if (auto t = std::get_if<std::string>(&v))
        if (auto d = parseDouble(*t)) return *d;
    unsuitable(v, "a number");
}

pdx::Value decimal(const Variant& v) {
    if (std::holds_alternative<std::int64_t>(v)) return pdx::Decimal{toText(v)};
    if (auto d = std::get_if<double>(&v)) {
        if (auto text = parseDecimal(formatDouble(*d))) return pdx::Decimal{*text};
    }
    if (auto t = std::get_if<std::string>(&v))
        if (auto text = parseDecimal(*t)) return pdx::Decimal{*text};
    unsuitable(v, "a decimal number");
}

pdx::Value date(const Variant& v) {
    if (auto t = std::get_if<std::string>(&v))
        if (auto dt = parseDateTime(*t); dt && dt->ms == 0) return pdx::Date{dt->day};
    unsuitable(v, "a date (YYYY-MM-DD)");
}

pdx::Value time(const Variant& v) {
    if (auto t = std::get_if<std::string>(&v))
        if (auto ms = parseTime(*t)) return pdx::Time{*ms};
    unsuitable(v, "a time (HH:MM:SS)");
}

pdx::Value timestamp(const Variant& v) {
    if (auto t = std::get_if<std::string>(&v))
        if (auto dt = parseDateTime(*t)) return pdx::Timestamp{static_cast<double>(dt->day) * pdx::kMsPerDay + dt->ms};
    unsuitable(v, "a date and time (YYYY-MM-DD HH:MM:SS)");
}

pdx::Value logical(const Variant& v) {
    if (auto i = std::get_if<std::int64_t>(&v); i && (*i == 0 || *i == 1)) return *i == 1;
    if (auto t = std::get_if<std::string>(&v)) {
        const std::string s(trimBlanks(*t));
        if (s == "True" || s == "true" || s == "TRUE" || s == "1") return true;
        if (s == "False" || s == "false" || s == "FALSE" || s == "0") return false;
    }
    unsuitable(v, "True or False");
}

pdx::Value text(const Variant& v) {
    if (std::holds_alternative<Bytes>(v)) unsuitable(v, "text");
    return toText(v);
}

// Bytes arrive as stored, or as the hexadecimal text the import reads them in.
pdx::Value bytes(const Variant& v) {
    if (auto b = std::get_if<Bytes>(&v)) return *b;
    if (auto t = std::get_if<std::string>(&v))
        if (auto b = parseHex(*t)) return *b;
    unsuitable(v, "binary data (hexadecimal digits)");
}

}  // namespace

pdx::Value toParadoxValue(const Variant& v, pdx::FieldType type) {
    if (isNull(v)) return std::monostate{};
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
