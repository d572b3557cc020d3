#include "pages/cell_rules.h"

#include <charconv>
#include <regex>

namespace vts {

namespace {

CellRule integerRule(long long lo, long long hi) {
    CellRule r{CellKind::Integer};
    r.min = lo;
    r.max = hi;
    return r;
}

CellRule fromParadox(const pdx::Field& f) {
    using pdx::FieldType;
    switch (f.type) {
    case FieldType::Short: return integerRule(-32767, 32767);
    case FieldType::Long:
    case FieldType::AutoInc: return integerRule(-2147483647LL, 2147483647LL);
    case FieldType::Number:
    case FieldType::Currency: return {CellKind::Number};
    case FieldType::Bcd: return {CellKind::Decimal, 0, 0, 0, f.size};
    case FieldType::Date: return {CellKind::Date};
    case FieldType::Timestamp: return {CellKind::Timestamp};
    case FieldType::Time: return {CellKind::Time};
    case FieldType::Logical: return {CellKind::Logical};
    case FieldType::Alpha: return {CellKind::Text, 0, 0, f.size};
    case FieldType::Memo: return {CellKind::Memo};
    case FieldType::Bytes: return {CellKind::Hex, 0, 0, f.size};
    default: return {CellKind::Binary};
    }
}

bool validDate(int y, int m, int d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

bool validDateText(const std::string& s) {
    static const std::regex re(R"((\d{4})-(\d{2})-(\d{2}))");
    std::smatch m;
    return std::regex_match(s, m, re) && validDate(std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]));
}

bool validTimeText(const std::string& s) {
    static const std::regex re(R"((\d{2}):(\d{2}):(\d{2})(\.\d{1,3})?)");
    std::smatch m;
    return std::regex_match(s, m, re) && std::stoi(m[1]) < 24 && std::stoi(m[2]) < 60 && std::stoi(m[3]) < 60;
}

bool validTimestampText(const std::string& s) {
    const auto blank = s.find(' ');
    if (blank == std::string::npos) return validDateText(s);
    return validDateText(s.substr(0, blank)) && validTimeText(s.substr(blank + 1));
}

CellInput refuse(std::string reason) { return {false, {}, std::move(reason)}; }
CellInput accept(db::Variant v) { return {true, std::move(v), {}}; }

CellInput parseInteger(const CellRule& rule, const std::string& s) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return refuse("Enter a whole number.");
    if (v < rule.min || v > rule.max)
        return refuse("Enter a whole number from " + std::to_string(rule.min) + " to " + std::to_string(rule.max) + ".");
    return accept(static_cast<std::int64_t>(v));
}

CellInput parseNumber(const std::string& s) {
    static const std::regex re(R"(-?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?)");
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (!std::regex_match(s, re) || ec != std::errc() || end != s.data() + s.size())
        return refuse("Enter a number, with '.' as the decimal point.");
    return accept(v);
}

CellInput parseDecimal(const CellRule& rule, const std::string& s) {
    static const std::regex re(R"(-?0*(\d*)(\.(\d*))?)");
    std::smatch m;
    if (!std::regex_match(s, m, re) || (s.find_first_of("0123456789") == std::string::npos))
        return refuse("Enter a decimal number, with '.' as the decimal point.");
    if (rule.decimals >= 0 && m[3].length() > rule.decimals)
        return refuse("Enter at most " + std::to_string(rule.decimals) + " decimal places.");
    // A BCD field holds 32 digits, of which `decimals` after the point.
    if (rule.decimals >= 0 && m[1].length() > 32 - rule.decimals)
        return refuse("Enter at most " + std::to_string(32 - rule.decimals) + " digits before the decimal point.");
    if (m[1].length() + m[3].length() > 32) return refuse("Enter at most 32 digits.");
    return accept(s);
}

CellInput parseHex(const CellRule& rule, const std::string& s) {
    static const std::regex re(R"(([0-9A-Fa-f]{2})*)");
    if (!std::regex_match(s, re)) return refuse("Enter bytes as pairs of hexadecimal digits.");
    if (rule.maxLength > 0 && static_cast<int>(s.size() / 2) > rule.maxLength)
        return refuse("Enter at most " + std::to_string(rule.maxLength) + " bytes.");
    std::string upper = s;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return accept(upper);
}

size_t utf8Length(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

// Text the table's code page must be able to store, within maxLength bytes when given.
CellInput parseText(const CellRule& rule, const std::string& s) {
    if (rule.maxLength > 0 && static_cast<int>(utf8Length(s)) > rule.maxLength)
        return refuse("Enter at most " + std::to_string(rule.maxLength) + " characters.");
    if (!rule.codePage) return accept(s);
    std::string stored;
    try {
        stored = rule.codePage->encode(s);
    } catch (const pdx::Error& e) {
        return refuse(std::string("This table cannot store the text: ") + e.what() + ".");
    }
    if (rule.maxLength > 0 && static_cast<int>(stored.size()) > rule.maxLength)
        return refuse("The text needs " + std::to_string(stored.size()) + " bytes in this table's code page; the field holds " +
                      std::to_string(rule.maxLength) + ".");
    return accept(s);
}

}  // namespace

CellRule cellRuleFor(const std::string& jetType, const std::optional<pdx::Field>& source,
                     std::shared_ptr<pdx::CodePage> codePage) {
    if (source) {
        CellRule rule = fromParadox(*source);
        if (rule.kind == CellKind::Text || rule.kind == CellKind::Memo) rule.codePage = std::move(codePage);
        return rule;
    }
    if (jetType == "INT") return integerRule(INT64_MIN + 1, INT64_MAX);
    if (jetType == "FLOAT") return {CellKind::Number};
    if (jetType == "DECIMAL") return {CellKind::Decimal};
    if (jetType == "DATETIME") return {CellKind::DateOrTimestamp};
    if (jetType == "MEMO") return {CellKind::Memo};
    if (jetType == "OLEOBJECT") return {CellKind::Binary};
    return {CellKind::Text};
}

CellInput parseCellInput(const CellRule& rule, const std::string& text) {
    if (text.empty()) return accept(std::monostate{});
    switch (rule.kind) {
    case CellKind::Integer: return parseInteger(rule, text);
    case CellKind::Number: return parseNumber(text);
    case CellKind::Decimal: return parseDecimal(rule, text);
    case CellKind::Date:
        return validDateText(text) ? accept(text) : refuse("Enter a date as YYYY-MM-DD.");
    case CellKind::Timestamp:
    case CellKind::DateOrTimestamp:
        return validTimestampText(text) ? accept(text) : refuse("Enter a date as YYYY-MM-DD, optionally with a time HH:MM:SS.");
    case CellKind::Time:
        return validTimeText(text) ? accept(text) : refuse("Enter a time as HH:MM:SS.");
    case CellKind::Logical:
        if (text == "True" || text == "true" || text == "TRUE") return accept(std::string("True"));
        if (text == "False" || text == "false" || text == "FALSE") return accept(std::string("False"));
        return refuse("Enter True or False.");
    case CellKind::Hex: return parseHex(rule, text);
    case CellKind::Binary: return refuse("Binary values cannot be edited here.");
    case CellKind::Text:
    case CellKind::Memo: return parseText(rule, text);
    }
    return refuse("Unknown column kind.");
}

}  // namespace vts
