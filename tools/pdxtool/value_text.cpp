// Value rendering for pdxtool.
#include "tools/pdxtool/value_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/pdx/codec.h"

namespace pdxtool {

std::string dateText(pdx::Date d) {
    const pdx::Ymd ymd = pdx::ymdFromDayNumber(d.day);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
    return buf;
}

std::string timeText(pdx::Time t) {
    const long long ms = t.ms;
    if (ms < 0 || ms >= pdx::kMsPerDay) return std::to_string(ms) + " ms";
    char buf[32];
    const int frac = static_cast<int>(ms % 1000);
    const long long s = ms / 1000;
    if (frac == 0) std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld.%03d", s / 3600, s / 60 % 60, s % 60, frac);
    return buf;
}

std::string timestampText(pdx::Timestamp ts) {
    // Beyond these bounds the day number would not fit; show the stored number instead.
    constexpr double kLimit = 2.0e9 * static_cast<double>(pdx::kMsPerDay);
    if (!std::isfinite(ts.ms) || std::fabs(ts.ms) > kLimit || ts.ms != std::floor(ts.ms))
        return doubleText(ts.ms) + " ms";
    const auto total = static_cast<long long>(ts.ms);
    long long day = total / pdx::kMsPerDay;
    long long rest = total % pdx::kMsPerDay;
    if (rest < 0) {
        rest += pdx::kMsPerDay;
        --day;
    }
    return dateText(pdx::Date{static_cast<std::int32_t>(day)}) + " " +
           timeText(pdx::Time{static_cast<std::int32_t>(rest)});
}

std::string doubleText(double v) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::string hexText(const pdx::Bytes& b) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string s;
    s.reserve(b.size() * 2);
    for (auto byte : b) {
        s += kHex[byte >> 4];
        s += kHex[byte & 15];
    }
    return s;
}

namespace {
struct TextOf {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(std::int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const { return doubleText(v); }
    std::string operator()(bool v) const { return v ? "true" : "false"; }
    std::string operator()(const std::string& v) const { return v; }
    std::string operator()(const pdx::Bytes& v) const { return hexText(v); }
    std::string operator()(pdx::Date v) const { return dateText(v); }
    std::string operator()(pdx::Time v) const { return timeText(v); }
    std::string operator()(pdx::Timestamp v) const { return timestampText(v); }
    std::string operator()(const pdx::Decimal& v) const { return v.text; }
};
}  // namespace

std::string valueText(const pdx::Value& v) { return std::visit(TextOf{}, v); }

}  // namespace pdxtool
