// Text forms of whole numbers, decimals, dates, times and bytes: parsing and formatting, the
// same under every locale.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/db/variant.h"

namespace db {

std::string_view trimBlanks(std::string_view s);

// Whole texts only (surrounding blanks allowed); nullopt when the text is not of that form.
std::optional<std::int64_t> parseInteger(std::string_view s);
std::optional<double> parseDouble(std::string_view s);
// [+-]digits[.digits] or [+-].digits; gives the text without blanks or a leading '+'.
std::optional<std::string> parseDecimal(std::string_view s);
// Upper- or lower-case hexadecimal, an even number of digits.
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

std::string formatDate(std::int32_t day);            // "YYYY-MM-DD"
std::string formatTime(std::int32_t ms);             // "HH:MM:SS", ".mmm" when not whole
std::string formatTimestamp(double msSinceDayZero);  // "YYYY-MM-DD HH:MM:SS[.mmm]"

// Number of characters (not bytes) of UTF-8 text.
std::size_t characterCount(std::string_view utf8);

}  // namespace db
