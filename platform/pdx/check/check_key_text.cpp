// Rendering of stored key bytes.
#include "platform/pdx/check/check_key_text.h"

#include <algorithm>
#include <cstdio>

#include "platform/pdx/format/codec.h"

namespace pdx {

namespace {

constexpr std::size_t kMaxShown = 40;  // bytes of a long text or hex value

std::string hexBytes(const std::uint8_t* p, std::size_t n) {
    std::string s = "0x";
    char buf[4];
    for (std::size_t i = 0; i < std::min(n, kMaxShown); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", p[i]);
        s += buf;
    }
    if (n > kMaxShown) s += "...";
    return s;
}

std::string alphaText(const std::uint8_t* p, std::size_t n) {
    std::string s = "\"";
    char buf[8];
    std::size_t i = 0;
    for (; i < n && i < kMaxShown && p[i] != 0; ++i) {
        if (p[i] >= 0x20 && p[i] < 0x7F && p[i] != '"' && p[i] != '\\') {
            s += static_cast<char>(p[i]);
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", p[i]);
            s += buf;
        }
    }
    if (i == kMaxShown && i < n && p[i] != 0) s += "...";
    return s + "\"";
}

std::string dateText(std::int32_t day) {
    if (day < 1 || day > 3652059) return "day " + std::to_string(day);
    const Ymd d = ymdFromDayNumber(day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string fieldText(const HeaderField& f, const std::uint8_t* p) {
    const auto n = static_cast<std::size_t>(f.storedSize);
    if (f.type == FieldType::Alpha) return alphaText(p, n);
    if (isAllZero(p, n)) return "blank";
    char buf[40];
    switch (f.type) {
        case FieldType::Short: return std::to_string(decodeShort(p));
        case FieldType::Long:
        case FieldType::AutoInc: return std::to_string(decodeLong(p));
        case FieldType::Time: return std::to_string(decodeLong(p)) + " ms";
        case FieldType::Date: return dateText(decodeLong(p));
        case FieldType::Number:
        case FieldType::Currency:
        case FieldType::Timestamp: std::snprintf(buf, sizeof buf, "%.17g", decodeDouble(p)); return buf;
        default: return hexBytes(p, n);
    }
}

}  // namespace

std::string keyText(const std::vector<HeaderField>& fields, const std::string& key) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(key.data());
    std::size_t at = 0;
    std::string shownText;
    std::size_t shown = 0;
    for (const HeaderField& f : fields) {
        const auto n = static_cast<std::size_t>(f.storedSize);
        if (at + n > key.size()) break;
        shownText += (shown++ ? ", " : "") + fieldText(f, p + at);
        at += n;
    }
    if (shown == 0) return hexBytes(p, key.size());
    return shown == 1 ? shownText : "(" + shownText + ")";
}

}  // namespace pdx
