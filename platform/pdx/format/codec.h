// Stored forms of Paradox field values and header integers, shared by the reader and the writer.
// Record values use "SF": big-endian with the sign bit flipped, so all-zero bytes mean blank and
// memcmp order equals value order. Headers use plain little-endian integers.
#pragma once
#include <array>
#include <bit>
#include <cstring>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/pdx/format/types.h"

namespace pdx {

// --- Little-endian header integers -------------------------------------------------------------
inline std::uint16_t loadLE16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t loadLE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void storeLE16(std::uint16_t v, std::uint8_t* p) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void storeLE32(std::uint32_t v, std::uint8_t* p) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// --- Blank test ---------------------------------------------------------------------------------
// Every numeric type, Date/Time/Timestamp and Bytes are blank when all their bytes are zero.
inline bool isAllZero(const std::uint8_t* p, std::size_t n) {
    std::uint64_t acc = 0;
    for (; n >= 8; n -= 8, p += 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        acc |= w;
    }
    for (; n > 0; --n) acc |= *p++;
    return acc == 0;
}

// --- SF integers and doubles (decoders expect a non-blank value) --------------------------------
// Inline: they run for every value of every record.
inline std::int16_t decodeShort(const std::uint8_t* p) {  // 2 bytes
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(((p[0] << 8) | p[1]) ^ 0x8000));
}
inline std::int32_t decodeLong(const std::uint8_t* p) {  // 4 bytes (Long, AutoInc, Date, Time)
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return static_cast<std::int32_t>(__builtin_bswap32(v) ^ 0x80000000u);
}
inline double decodeDouble(const std::uint8_t* p) {  // 8 bytes (Number, Currency, Timestamp)
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    v = __builtin_bswap64(v);
    constexpr std::uint64_t kSign = 1ull << 63;
    v = (v & kSign) ? (v & ~kSign) : ~v;
    return std::bit_cast<double>(v);
}

// Encoders throw pdx::Error for values the field cannot hold: out of range, or the minimum
// integer (its stored form is all zeros, i.e. blank). Doubles must be finite; -0.0 is stored as 0.
std::array<std::uint8_t, 2> encodeShort(std::int64_t v);
std::array<std::uint8_t, 4> encodeLong(std::int64_t v);
std::array<std::uint8_t, 8> encodeDouble(double v);

// --- Dates and times ----------------------------------------------------------------------------
// Day numbers count from 0001-01-01 = 1 in the proleptic Gregorian calendar.
struct Ymd {
    int year = 1;
    int month = 1;
    int day = 1;
    bool operator==(const Ymd&) const = default;
};
bool isValidYmd(int year, int month, int day);
std::int32_t dayNumberFromYmd(int year, int month, int day);  // throws pdx::Error for an invalid date
Ymd ymdFromDayNumber(std::int32_t dayNumber);

constexpr std::int64_t kMsPerDay = 86'400'000;

inline Date decodeDate(const std::uint8_t* p) { return Date{decodeLong(p)}; }
inline Time decodeTime(const std::uint8_t* p) { return Time{decodeLong(p)}; }
inline Timestamp decodeTimestamp(const std::uint8_t* p) { return Timestamp{decodeDouble(p)}; }
std::array<std::uint8_t, 4> encodeDate(Date d);
std::array<std::uint8_t, 4> encodeTime(Time t);
std::array<std::uint8_t, 8> encodeTimestamp(Timestamp ts);

// --- Logical ------------------------------------------------------------------------------------
constexpr std::uint8_t kLogicalFalse = 0x80;
constexpr std::uint8_t kLogicalTrue = 0x81;
inline std::uint8_t encodeLogical(bool v) { return v ? kLogicalTrue : kLogicalFalse; }
// 0x80/0x81 only; any other non-blank byte is damage and throws pdx::Error.
bool decodeLogical(std::uint8_t b);

// --- BCD ----------------------------------------------------------------------------------------
constexpr std::size_t kBcdSize = 17;
constexpr int kBcdDigits = 32;
// Exact decimal text ("1.23", "-1.23", "0.00") with `decimals` digits after the point. The stored
// value may carry its own decimal count; the text keeps every stored digit. Nibbles above 9 end
// the significant digits (the original engine leaves such tails). Throws for a stored decimal
// count above 32. Expects a non-blank value (byte 0 != 0).
std::string decodeBcd(const std::uint8_t* p, int decimals);
// Accepts [+-]digits[.digits]; throws when the text is not a number, has more than `decimals`
// non-zero fraction digits, or needs more than 32 digits in total.
std::array<std::uint8_t, kBcdSize> encodeBcd(std::string_view text, int decimals);

}  // namespace pdx
