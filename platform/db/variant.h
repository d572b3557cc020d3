// A database value as the connections hand it out: Null, whole number, double, text or bytes.
#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace db {

using Bytes = std::vector<std::uint8_t>;

// std::monostate is Null. Text is UTF-8.
using Variant = std::variant<std::monostate, std::int64_t, double, std::string, Bytes>;

inline bool isNull(const Variant& v) { return std::holds_alternative<std::monostate>(v); }

// Text form, the same under every locale: Null -> "", whole numbers in decimal, doubles in their
// shortest exact form with '.' (no exponent between 1e-7 and 1e21), text unchanged, bytes as
// upper-case hexadecimal.
std::string toText(const Variant& v);

// The shortest text that reads back as exactly d, as described for toText.
std::string formatDouble(double d);

// A literal for SQL text on the working connection: NULL, a number, a quoted text with every
// ' doubled, or X'..' for bytes (the only way bytes survive a statement written as text).
std::string sqlLiteral(const Variant& v);

}  // namespace db
