// Text forms of values, parsed and formatted the same under every locale.
#include "platform/pdx/format/value_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/pdx/format/codec.h"

namespace pdx {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Exactly n digits at s[pos]; advances pos.
std::optional<int> digits(std::string_view s, std::size_t& pos, std::size_t n) {
    if (pos + n > s.size()) return std::nullopt;
    int v = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!isDigit(s[pos + i])) return std::nullopt;
        v = v * 10 + (s[pos + i] - '0');
    }
    pos += n;
    return v;
}

bool expect(std::string_view s, std::size_t& pos, char c) {
    if (pos >= s.size() || s[pos] != c) return false;
    ++pos;
    return true;
}

std::optional<std::int32_t> dateAt(std::string_view s, std::size_t& pos) {
    auto y = digits(s, pos, 4);
    if (!y || !expect(s, pos, '-')) return std::nullopt;
    auto m = digits(s, pos, 2);
    if (!m || !expect(s, pos, '-')) return std::nullopt;
    auto d = digits(s, pos, 2);
    if (!d || !isValidYmd(*y, *m, *d)) return std::nullopt;
    return dayNumberFromYmd(*y, *m, *d);
}

std::optional<std::int32_t> timeAt(std::string_view s, std::size_t& pos) {
    auto h = digits(s, pos, 2);
    if (!h || !expect(s, pos, ':')) return std::nullopt;
    auto m = digits(s, pos, 2);
    if (!m) return std::nullopt;
    int sec = 0, ms = 0;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        auto sv = digits(s, pos, 2);
        if (!sv) return std::nullopt;
        sec = *sv;
        if (pos < s.size() && s[pos] == '.') {
            ++pos;
            const std::size_t start = pos;
            while (pos < s.size() && isDigit(s[pos])) ++pos;
            const std::size_t n = pos - start;
            if (n == 0 || n > 3) return std::nullopt;  // the field holds whole milliseconds
            std::size_t p = start;
            ms = *digits(s, p, n);
            for (std::size_t i = n; i < 3; ++i) ms *= 10;
        }
    }
    if (*h > 23 || *m > 59 || sec > 59) return std::nullopt;
    return ((*h * 60 + *m) * 60 + sec) * 1000 + ms;
}

int twoDigits(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

// The forms the working table stores dates and timestamps in, "1996-05-04", "1996-05-04
// 13:45:00" and "1996-05-04 13:45:00.250", read without the general steps: nearly every value a
// write-back reads has one. True when `s` has one of them; `out` is then the value, or nothing
// for a day or time that does not exist, as the general steps would decide.
bool readStoredForm(std::string_view s, std::optional<DateTimeValue>& out) {
    static constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd.ddd";
    if (s.size() != 10 && s.size() != 19 && s.size() != 23) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (kShape[i] == 'd' ? !isDigit(s[i]) : s[i] != kShape[i] && !(i == 10 && s[i] == 'T')) return false;
    const int year = twoDigits(s.data()) * 100 + twoDigits(s.data() + 2);
    const int month = twoDigits(s.data() + 5), day = twoDigits(s.data() + 8);
    out.reset();
    if (!isValidYmd(year, month, day)) return true;
    DateTimeValue value{dayNumberFromYmd(year, month, day), 0, false};
    if (s.size() > 10) {
        const int h = twoDigits(s.data() + 11), m = twoDigits(s.data() + 14), sec = twoDigits(s.data() + 17);
        if (h > 23 || m > 59 || sec > 59) return true;
        const int ms = s.size() == 23 ? twoDigits(s.data() + 20) * 10 + (s[22] - '0') : 0;
        value.ms = ((h * 60 + m) * 60 + sec) * 1000 + ms;
        value.hasTime = true;
    }
    out = value;
    return true;
}

}  // namespace

std::string_view trimBlanks(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    if (!s.empty() && !blank(s.front()) && !blank(s.back())) return s;  // nothing to trim, at once
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<std::int64_t> parseInteger(std::string_view s) {
    s = trimBlanks(s);
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    std::int64_t v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<double> parseDouble(std::string_view s) {
    s = trimBlanks(s);
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    double v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<std::string> parseDecimal(std::string_view s) {
    s = trimBlanks(s);
    std::string out;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') out += '-';
        ++i;
    }
    std::size_t intDigits = 0, fracDigits = 0;
    for (; i < s.size() && isDigit(s[i]); ++i, ++intDigits) out += s[i];
    if (i < s.size() && s[i] == '.') {
        out += s[i++];
        for (; i < s.size() && isDigit(s[i]); ++i, ++fracDigits) out += s[i];
    }
    if (i != s.size() || intDigits + fracDigits == 0) return std::nullopt;
    return out;
}

std::optional<bool> parseLogical(std::string_view s) {
    s = trimBlanks(s);
    if (s == "True" || s == "true" || s == "TRUE" || s == "1") return true;
    if (s == "False" || s == "false" || s == "FALSE" || s == "0") return false;
    return std::nullopt;
}

std::optional<Bytes> parseHex(std::string_view s) {
    if (s.size() % 2) return std::nullopt;
    Bytes out;
    out.reserve(s.size() / 2);
    for (std::size_t i = 0; i < s.size(); i += 2) {
        unsigned v = 0;
        const auto [p, ec] = std::from_chars(s.data() + i, s.data() + i + 2, v, 16);
        if (ec != std::errc() || p != s.data() + i + 2) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

std::optional<std::int32_t> parseDate(std::string_view s) {
    s = trimBlanks(s);
    std::size_t pos = 0;
    auto d = dateAt(s, pos);
    return d && pos == s.size() ? d : std::nullopt;
}

std::optional<std::int32_t> parseTime(std::string_view s) {
    s = trimBlanks(s);
    std::size_t pos = 0;
    auto t = timeAt(s, pos);
    return t && pos == s.size() ? t : std::nullopt;
}

std::optional<DateTimeValue> parseDateTime(std::string_view s) {
    if (std::optional<DateTimeValue> stored; readStoredForm(s, stored)) return stored;
    s = trimBlanks(s);
    std::size_t pos = 0;
    auto d = dateAt(s, pos);
    if (!d) return std::nullopt;
    DateTimeValue out{*d, 0, false};
    if (pos == s.size()) return out;
    if (s[pos] != ' ' && s[pos] != 'T') return std::nullopt;
    ++pos;
    auto t = timeAt(s, pos);
    if (!t || pos != s.size()) return std::nullopt;
    out.ms = *t;
    out.hasTime = true;
    return out;
}

std::optional<Timestamp> parseTimestamp(std::string_view s) {
    const auto dt = parseDateTime(s);
    if (!dt) return std::nullopt;
    return Timestamp{static_cast<double>(dt->day) * kMsPerDay + dt->ms};
}

namespace {

// The zero-padded decimal digits of v (0 <= v < 10^width) at out[0..width).
void putDigits(char* out, int v, int width) {
    for (int i = width - 1; i >= 0; --i, v /= 10) out[i] = static_cast<char>('0' + v % 10);
}

// snprintf's "%04d-%02d-%02d" for the years most tables hold; printf itself for the rest.
std::string dateText(const Ymd& ymd) {
    if (ymd.year < 0 || ymd.year > 9999) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
        return buf;
    }
    std::string out(10, '-');
    putDigits(&out[0], ymd.year, 4);
    putDigits(&out[5], ymd.month, 2);
    putDigits(&out[8], ymd.day, 2);
    return out;
}

// "HH:MM:SS" and ".mmm" when not whole, appended to out; printf for times outside a day.
void appendTime(std::int32_t ms, std::string& out) {
    if (ms < 0 || ms >= 100 * 3600000) {
        char buf[48];
        if (ms % 1000)
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                          ms % 1000);
        else std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60);
        out += buf;
        return;
    }
    char buf[12] = "00:00:00.";
    putDigits(buf, ms / 3600000, 2);
    putDigits(buf + 3, ms / 60000 % 60, 2);
    putDigits(buf + 6, ms / 1000 % 60, 2);
    if (ms % 1000 == 0) {
        out.append(buf, 8);
        return;
    }
    putDigits(buf + 9, ms % 1000, 3);
    out.append(buf, 12);
}

}  // namespace

std::string formatDate(std::int32_t day) { return dateText(ymdFromDayNumber(day)); }

std::string formatTime(std::int32_t ms) {
    std::string out;
    appendTime(ms, out);
    return out;
}

std::string formatTimestamp(double msSinceDayZero) {
    const auto total = static_cast<std::int64_t>(std::llround(msSinceDayZero));
    const auto day = static_cast<std::int32_t>(total / kMsPerDay);
    const auto ms = static_cast<std::int32_t>(total % kMsPerDay);
    std::string out = formatDate(day);
    out += ' ';
    appendTime(ms, out);
    return out;
}

std::string formatDouble(double d) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d < 0 ? "-Infinity" : "Infinity";
    const double mag = std::fabs(d);
    // Fixed notation for ordinary magnitudes; the shortest form (maybe with exponent) otherwise.
    if (mag != 0 && (mag < 1e-7 || mag >= 1e21)) return shortestDouble(d);
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
    std::string out(buf, res.ptr);
    if (out == "-0") out = "0";
    return out;
}

std::string shortestDouble(double d) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

std::string hexText(const Bytes& b, HexCase letters) {
    const char* digits = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    out.reserve(b.size() * 2);
    for (auto byte : b) {
        out += digits[byte >> 4];
        out += digits[byte & 0x0F];
    }
    return out;
}

namespace {

struct TextOf {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(std::int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const { return formatDouble(v); }
    std::string operator()(bool v) const { return v ? "True" : "False"; }
    std::string operator()(const std::string& v) const { return v; }
    std::string operator()(const Bytes& v) const { return hexText(v); }
    std::string operator()(Date v) const { return formatDate(v.day); }
    std::string operator()(Time v) const { return formatTime(v.ms); }
    std::string operator()(Timestamp v) const { return formatTimestamp(v.ms); }
    std::string operator()(const Decimal& v) const { return v.text; }
};

}  // namespace

std::string toText(const Value& v) { return std::visit(TextOf{}, v); }

}  // namespace pdx
