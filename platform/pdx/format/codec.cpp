// Stored-form encoders and decoders for Paradox values (see codec.h).
#include "platform/pdx/format/codec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace pdx {

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> storeBE(std::uint64_t v) {
    std::array<std::uint8_t, N> out{};
    for (std::size_t i = 0; i < N; ++i) out[N - 1 - i] = static_cast<std::uint8_t>(v >> (8 * i));
    return out;
}

// Whole days from 1970-01-01 (H. Hinnant's civil calendar algorithms).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Day number of 1970-01-01 when 0001-01-01 is day 1.
constexpr std::int64_t kUnixEpochDay = 719163;

}  // namespace

std::array<std::uint8_t, 2> encodeShort(std::int64_t v) {
    if (v <= std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
        throw Error("the value " + std::to_string(v) + " does not fit a Short field (-32767 to 32767)");
    return storeBE<2>(static_cast<std::uint16_t>(v) ^ 0x8000u);
}

std::array<std::uint8_t, 4> encodeLong(std::int64_t v) {
    if (v <= std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw Error("the value " + std::to_string(v) + " does not fit a Long field (-2147483647 to 2147483647)");
    return storeBE<4>(static_cast<std::uint32_t>(v) ^ 0x80000000u);
}

std::array<std::uint8_t, 8> encodeDouble(double v) {
    if (!std::isfinite(v)) throw Error("a number field cannot hold an infinite or undefined value");
    if (v == 0) v = 0.0;  // -0.0 would otherwise sort below +0.0
    std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    constexpr std::uint64_t kSign = 1ull << 63;
    bits = (bits & kSign) ? ~bits : (bits | kSign);
    return storeBE<8>(bits);
}

bool isValidYmd(int year, int month, int day) {
    if (year < -5'000'000 || year > 5'000'000 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = (month == 2 && leap) ? 29 : kDays[month - 1];
    return day <= last;
}

std::int32_t dayNumberFromYmd(int year, int month, int day) {
    if (!isValidYmd(year, month, day))
        throw Error("invalid date " + std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day));
    return static_cast<std::int32_t>(daysFromCivil(year, month, day) + kUnixEpochDay);
}

Ymd ymdFromDayNumber(std::int32_t dayNumber) {
    const std::int64_t z = static_cast<std::int64_t>(dayNumber) - kUnixEpochDay + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    return Ymd{static_cast<int>(y), m, d};
}

std::array<std::uint8_t, 4> encodeDate(Date d) { return encodeLong(d.day); }
std::array<std::uint8_t, 4> encodeTime(Time t) { return encodeLong(t.ms); }
std::array<std::uint8_t, 8> encodeTimestamp(Timestamp ts) { return encodeDouble(ts.ms); }

bool decodeLogical(std::uint8_t b) {
    if (b == kLogicalFalse) return false;
    if (b == kLogicalTrue) return true;
    static constexpr char kHex[] = "0123456789ABCDEF";
    throw Error(std::string("invalid Logical byte 0x") + kHex[b >> 4] + kHex[b & 15]);
}

std::string decodeBcd(const std::uint8_t* p, int decimals) {
    const bool negative = (p[0] & 0x80) == 0;
    const int stored = p[0] & 0x3F;
    if (stored > kBcdDigits) throw Error("BCD value with " + std::to_string(stored) + " decimals (at most 32)");
    decimals = std::clamp(decimals, 0, kBcdDigits);

    char digits[kBcdDigits];
    bool ended = false;
    for (int i = 0; i < kBcdDigits; ++i) {
        const std::uint8_t byte = p[1 + i / 2];
        int nib = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
        if (negative) nib = 15 - nib;
        if (nib > 9) ended = true;  // engine garbage after the significant digits
        digits[i] = ended ? '0' : static_cast<char>('0' + nib);
    }
    const int intLen = kBcdDigits - stored;
    int firstInt = 0;
    while (firstInt < intLen - 1 && digits[firstInt] == '0') ++firstInt;
    // Show at least the field's decimals, and every non-zero stored decimal.
    int fracLen = stored;
    while (fracLen > decimals && digits[intLen + fracLen - 1] == '0') --fracLen;
    const bool zero = std::all_of(digits, digits + kBcdDigits, [](char c) { return c == '0'; });

    std::string text;
    text.reserve(40);
    if (negative && !zero) text += '-';
    if (intLen == 0) text += '0';
    text.append(digits + firstInt, digits + intLen);
    const int shownFrac = std::max(fracLen, decimals);
    if (shownFrac > 0) {
        text += '.';
        text.append(digits + intLen, digits + intLen + fracLen);
        text.append(static_cast<std::size_t>(shownFrac - fracLen), '0');
    }
    return text;
}

std::array<std::uint8_t, kBcdSize> encodeBcd(std::string_view text, int decimals) {
    if (decimals < 0 || decimals > kBcdDigits) throw Error("a BCD field has 0 to 32 decimals");
    const std::string shown(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const std::size_t intStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    std::string_view intPart = text.substr(intStart, i - intStart);
    std::string_view fracPart;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        fracPart = text.substr(fracStart, i - fracStart);
    }
    if (i != text.size() || (intPart.empty() && fracPart.empty()))
        throw Error("\"" + shown + "\" is not a decimal number");

    while (!intPart.empty() && intPart.front() == '0') intPart.remove_prefix(1);
    while (fracPart.size() > static_cast<std::size_t>(decimals) && fracPart.back() == '0') fracPart.remove_suffix(1);
    if (fracPart.size() > static_cast<std::size_t>(decimals))
        throw Error("\"" + shown + "\" has more than " + std::to_string(decimals) + " decimals");
    if (intPart.size() > static_cast<std::size_t>(kBcdDigits - decimals))
        throw Error("\"" + shown + "\" has too many digits for a BCD field with " + std::to_string(decimals) +
                    " decimals");

    int digits[kBcdDigits] = {};
    const int intEnd = kBcdDigits - decimals;
    for (std::size_t k = 0; k < intPart.size(); ++k) digits[intEnd - intPart.size() + k] = intPart[k] - '0';
    for (std::size_t k = 0; k < fracPart.size(); ++k) digits[intEnd + k] = fracPart[k] - '0';
    if (std::all_of(digits, digits + kBcdDigits, [](int d) { return d == 0; })) negative = false;

    std::array<std::uint8_t, kBcdSize> out{};
    out[0] = static_cast<std::uint8_t>((negative ? 0x00 : 0x80) | 0x40 | decimals);
    for (int k = 0; k < kBcdDigits; k += 2) {
        auto byte = static_cast<std::uint8_t>((digits[k] << 4) | digits[k + 1]);
        out[1 + k / 2] = negative ? static_cast<std::uint8_t>(~byte) : byte;
    }
    return out;
}

}  // namespace pdx
