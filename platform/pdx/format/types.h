// Paradox table structure and values as the rest of the program sees them (Qt-free).
#pragma once
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/shell/errors.h"

namespace pdx {

// Every failure of the engine is the program's one error type: the message names the file (and
// row/field where it applies).
using Error = vts::Error;

enum class FieldType : std::uint8_t {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Binary = 0x0D,
    FmtMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoInc = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

bool isBlobType(FieldType t);
const char* typeName(FieldType t);  // "Alpha", "Date", ...

struct Field {
    std::string name;  // UTF-8
    FieldType type = FieldType::Alpha;
    int size = 0;  // descriptor size byte: Alpha/Bytes length, blob descriptor size, BCD decimals
    bool operator==(const Field&) const = default;
};

struct Schema {
    std::vector<Field> fields;
    int keyFields = 0;     // leading fields forming the primary key
    int codePage = 1252;   // header 0x6A (0 = HP-ROMAN8)
    int sortOrder = 0x4C;  // header 0x29
    std::string sortOrderId = "DBWINUS0";
    bool operator==(const Schema&) const = default;
};

// Values. Dates are day numbers (0001-01-01 = 1), times milliseconds after midnight,
// timestamps milliseconds since day 0 (day * 86400000 + ms), BCD exact decimal text.
struct Date {
    std::int32_t day = 0;
    bool operator==(const Date&) const = default;
};
struct Time {
    std::int32_t ms = 0;
    bool operator==(const Time&) const = default;
};
struct Timestamp {
    double ms = 0;
    bool operator==(const Timestamp&) const = default;
};
struct Decimal {
    std::string text;
    bool operator==(const Decimal&) const = default;
};
using Bytes = std::vector<std::uint8_t>;

// monostate = blank (NULL). Text is UTF-8 (Alpha, Memo). Blob types other than Memo, and
// the Bytes type, are Bytes. Short/Long/AutoInc are int64, Number/Currency double.
// Graphic and OLE values are the stored bytes exactly, including their 8-byte prefix
// (01 00 00 01 / 01 00 00 02, then the payload length), so a rewrite gives the same bytes;
// a Bytes field holds all `size` stored bytes (trailing zeros included).
using Value =
    std::variant<std::monostate, std::int64_t, double, bool, std::string, Bytes, Date, Time, Timestamp, Decimal>;
using Record = std::vector<Value>;

inline bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

}  // namespace pdx
