// Text forms of values: whole numbers, doubles, decimals, logicals, dates, times, timestamps and
// bytes, parsed and formatted the same under every locale. The grid's rules, the working database
// and pdxtool all read and write values through these.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/pdx/format/types.h"

namespace pdx {

std::string_view trimBlanks(std::string_view s);

// Whole texts only (surrounding blanks allowed); nullopt when the text is not of that form.
std::optional<std::int64_t> parseInteger(std::string_view s);
std::optional<double> parseDouble(std::string_view s);
// [+-]digits[.digits] or [+-].digits; gives the text without blanks or a leading '+'.
std::optional<std::string> parseDecimal(std::string_view s);
// True, true, TRUE or 1; False, false, FALSE or 0.
std::optional<bool> parseLogical(std::string_view s);
// Upper- or lower-case hexadecimal, an even number of digits (no blanks).
std::optional<Bytes> parseHex(std::string_view s);

struct DateTimeValue {
    std::int32_t day = 0;  // 0001-01-01 = 1
    std::int32_t ms = 0;   // after midnight
    bool hasTime = false;  // a time part was written (even 00:00:00)
};
std::optional<std::int32_t> parseDate(std::string_view s);  // "YYYY-MM-DD"
std::optional<std::int32_t> parseTime(std::string_view s);  // "HH:MM[:SS[.mmm]]" -> ms
// "YYYY-MM-DD", optionally followed by ' ' or 'T' and a time.
std::optional<DateTimeValue> parseDateTime(std::string_view s);
// The same text as a timestamp (midnight when no time is written).
std::optional<Timestamp> parseTimestamp(std::string_view s);

std::string formatDate(std::int32_t day);            // "YYYY-MM-DD"
std::string formatTime(std::int32_t ms);             // "HH:MM:SS", ".mmm" when not whole
std::string formatTimestamp(double msSinceDayZero);  // "YYYY-MM-DD HH:MM:SS[.mmm]"
// The shortest text that reads back as exactly d, with '.' and no exponent between 1e-7 and
// 1e21; "0" for -0, "NaN", "Infinity" and "-Infinity".
std::string formatDouble(double d);
// The shortest text that reads back as exactly d, in std::to_chars's form ("1e+21", "-0", "nan").
std::string shortestDouble(double d);
enum class HexCase { Upper, Lower };
std::string hexText(const Bytes& b, HexCase letters = HexCase::Upper);

// Text form of any value: Null -> "", whole numbers in decimal, doubles as formatDouble,
// logicals "True"/"False", text unchanged, bytes as upper-case hexadecimal, dates, times and
// timestamps as formatted above, decimals as their exact text.
std::string toText(const Value& v);

}  // namespace pdx
