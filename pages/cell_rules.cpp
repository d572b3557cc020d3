#include "pages/cell_rules.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/value_text.h"
#include "platform/shell/utf8_text.h"

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
        case FieldType::Number: return {CellKind::Number};
        case FieldType::Currency: {
            CellRule r{CellKind::Number};
            r.money = true;
            return r;
        }
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

// Input is read by the same parsers the write-back uses, and dates and times are stored in their
// one written form, so that what the grid accepts is exactly what reaches the table.
std::optional<std::string> dateText(const std::string& s) {
    const auto day = pdx::parseDate(s);
    return day ? std::optional(pdx::formatDate(*day)) : std::nullopt;
}

std::optional<std::string> timeText(const std::string& s) {
    const auto ms = pdx::parseTime(s);
    return ms ? std::optional(pdx::formatTime(*ms)) : std::nullopt;
}

std::optional<std::string> dateTimeText(const std::string& s) {
    const auto v = pdx::parseDateTime(s);
    if (!v) return std::nullopt;
    return v->hasTime ? pdx::formatDate(v->day) + " " + pdx::formatTime(v->ms) : pdx::formatDate(v->day);
}

CellInput refuse(std::string reason) { return {false, {}, std::move(reason)}; }
CellInput accept(pdx::Value v) { return {true, std::move(v), {}}; }

CellInput parseInteger(const CellRule& rule, const std::string& s) {
    const auto v = pdx::parseInteger(s);
    if (!v) return refuse("Enter a whole number.");
    if (*v < rule.min || *v > rule.max)
        return refuse("Enter a whole number from " + std::to_string(rule.min) + " to " + std::to_string(rule.max) +
                      ".");
    return accept(*v);
}

CellInput parseNumber(const std::string& s) {
    const auto v = pdx::parseDouble(s);
    if (!v) return refuse("Enter a number, with '.' as the decimal point.");
    return accept(*v);
}

CellInput parseDecimal(const CellRule& rule, const std::string& s) {
    const auto text = pdx::parseDecimal(s);
    if (!text) return refuse("Enter a decimal number, with '.' as the decimal point.");
    const std::string digits = text->substr(text->front() == '-' ? 1 : 0);
    const auto point = digits.find('.');
    const std::string whole = digits.substr(0, point);
    const auto wholeDigits = static_cast<int>(whole.size() - std::min(whole.size(), whole.find_first_not_of('0')));
    const int fraction = point == std::string::npos ? 0 : static_cast<int>(digits.size() - point - 1);
    if (rule.decimals >= 0 && fraction > rule.decimals)
        return refuse("Enter at most " + std::to_string(rule.decimals) + " decimal places.");
    // A BCD field holds kBcdDigits digits, of which `decimals` after the point.
    using pdx::kBcdDigits;
    if (rule.decimals >= 0 && wholeDigits > kBcdDigits - rule.decimals)
        return refuse("Enter at most " + std::to_string(kBcdDigits - rule.decimals) +
                      " digits before the decimal point.");
    if (wholeDigits + fraction > kBcdDigits) return refuse("Enter at most " + std::to_string(kBcdDigits) + " digits.");
    return accept(*text);
}

CellInput parseHex(const CellRule& rule, const std::string& s) {
    const auto bytes = pdx::parseHex(s);
    if (!bytes) return refuse("Enter bytes as pairs of hexadecimal digits.");
    if (rule.maxLength > 0 && static_cast<int>(bytes->size()) > rule.maxLength)
        return refuse("Enter at most " + std::to_string(rule.maxLength) + " bytes.");
    return accept(pdx::hexText(*bytes));  // upper-case hexadecimal
}

// Text the table's code page must be able to store, within maxLength bytes when given.
CellInput parseText(const CellRule& rule, const std::string& s) {
    if (rule.maxLength > 0 && static_cast<int>(vts::characterCount(s)) > rule.maxLength)
        return refuse("Enter at most " + std::to_string(rule.maxLength) + " characters.");
    if (!rule.codePage) return accept(s);
    std::string stored;
    try {
        stored = rule.codePage->encode(s);
    } catch (const pdx::Error& e) {
        return refuse(std::string("This table cannot store the text: ") + e.what() + ".");
    }
    if (rule.maxLength > 0 && static_cast<int>(stored.size()) > rule.maxLength)
        return refuse("The text needs " + std::to_string(stored.size()) +
                      " bytes in this table's code page; the field holds " + std::to_string(rule.maxLength) + ".");
    return accept(s);
}

// What the picture characters a refusal shows stand for, in the order a reader meets them.
std::string pictureLegend(const std::string& picture) {
    static const std::pair<char, const char*> kMeanings[] = {
        {'#', "# a digit"},
        {'?', "? a letter"},
        {'&', "& a letter, put in capitals"},
        {'~', "~ a letter, put in small letters"},
        {'@', "@ any character"},
        {'!', "! any character, put in capitals"},
        {'*', "* repeats what follows"},
        {'[', "[ ] what may be left out"},
        {'{', "{ , } one of the choices"},
    };
    std::string out;
    for (const auto& [c, meaning] : kMeanings)
        if (picture.find(c) != std::string::npos) out += (out.empty() ? " (" : ", ") + std::string(meaning);
    return out.empty() ? out : out + ")";
}

// The typed text as the table's picture makes it, or why it does not fit.
CellInput fitPicture(const CellRule& rule, const std::string& text) {
    try {
        if (const auto fitted = rule.picture->fit(text)) return accept(*fitted);
    } catch (const pdx::Error& e) {
        return refuse(e.what());
    }
    return refuse("\"" + text + "\" does not fit the picture " + rule.picture->text() +
                  " this table sets for the field" + pictureLegend(rule.picture->text()) + ".");
}

// A value's place on its column's scale (numbers, days, milliseconds), for the table's bounds.
std::optional<long double> scaleOf(CellKind kind, const pdx::Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<long double>(*i);
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* day = std::get_if<pdx::Date>(&v)) return day->day;
    if (const auto* t = std::get_if<pdx::Time>(&v)) return t->ms;
    if (const auto* ts = std::get_if<pdx::Timestamp>(&v)) return ts->ms;
    const auto* s = std::get_if<std::string>(&v);
    if (!s) return std::nullopt;
    switch (kind) {
        case CellKind::Date:
            if (const auto day = pdx::parseDate(*s)) return *day;
            return std::nullopt;
        case CellKind::Time:
            if (const auto ms = pdx::parseTime(*s)) return *ms;
            return std::nullopt;
        case CellKind::Timestamp:
            if (const auto t = pdx::parseDateTime(*s)) return t->day * 86400000.0L + t->ms;
            return std::nullopt;
        default: return std::nullopt;
    }
}

// Exact order of two decimal texts ("-12.50"), digit by digit: 32 digits do not fit a double.
int compareDecimals(std::string a, std::string b) {
    struct Parts {
        bool negative;
        std::string whole, fraction;
    };
    const auto parts = [](std::string t) {
        const bool negative = !t.empty() && t[0] == '-';
        if (negative) t.erase(0, 1);
        const auto point = t.find('.');
        std::string whole = t.substr(0, point), fraction = point == std::string::npos ? "" : t.substr(point + 1);
        whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
        fraction.erase(fraction.find_last_not_of('0') + 1);
        return Parts{negative && !(whole.empty() && fraction.empty()), whole, fraction};
    };
    const Parts x = parts(std::move(a)), y = parts(std::move(b));
    if (x.negative != y.negative) return x.negative ? -1 : 1;
    int size = (x.whole.size() > y.whole.size()) - (x.whole.size() < y.whole.size());
    if (size == 0) size = x.whole.compare(y.whole);
    if (size == 0) size = x.fraction.compare(y.fraction);
    const int sign = (size > 0) - (size < 0);
    return x.negative ? -sign : sign;
}

// -1, 0 or 1 as a is below, at or above b; nothing for values without an order here.
std::optional<int> compareOnColumn(CellKind kind, const pdx::Value& a, const pdx::Value& b) {
    if (kind == CellKind::Decimal) {
        const auto text = [](const pdx::Value& v) -> std::optional<std::string> {
            if (const auto* d = std::get_if<pdx::Decimal>(&v)) return d->text;
            if (const auto* s = std::get_if<std::string>(&v)) return *s;
            return std::nullopt;
        };
        const auto x = text(a), y = text(b);
        return x && y ? std::optional(compareDecimals(*x, *y)) : std::nullopt;
    }
    const auto x = scaleOf(kind, a), y = scaleOf(kind, b);
    if (x && y) return (*x > *y) - (*x < *y);
    return std::nullopt;
}

CellInput withinBounds(const CellRule& rule, CellInput input) {
    const pdx::FieldCheck& c = rule.check;
    if (!pdx::isNull(c.minimum) && compareOnColumn(rule.kind, input.value, c.minimum).value_or(0) < 0)
        return refuse("Enter at least " + pdx::toText(c.minimum) + ": the table's minimum for this field.");
    if (!pdx::isNull(c.maximum) && compareOnColumn(rule.kind, input.value, c.maximum).value_or(0) > 0)
        return refuse("Enter at most " + pdx::toText(c.maximum) + ": the table's maximum for this field.");
    return input;
}

CellInput parseTyped(const CellRule& rule, const std::string& text) {
    switch (rule.kind) {
        case CellKind::Integer: return parseInteger(rule, text);
        case CellKind::Number: return parseNumber(text);
        case CellKind::Decimal: return parseDecimal(rule, text);
        case CellKind::Date:
            if (const auto t = dateText(text)) return accept(*t);
            return refuse("Enter a date as YYYY-MM-DD.");
        case CellKind::Timestamp:
        case CellKind::DateOrTimestamp:
            if (const auto t = dateTimeText(text)) return accept(*t);
            return refuse("Enter a date as YYYY-MM-DD, optionally with a time HH:MM:SS.");
        case CellKind::Time:
            if (const auto t = timeText(text)) return accept(*t);
            return refuse("Enter a time as HH:MM:SS.");
        case CellKind::Logical:
            if (const auto b = pdx::parseLogical(text)) return accept(pdx::toText(*b));
            return refuse("Enter True or False.");
        case CellKind::Hex: return parseHex(rule, text);
        case CellKind::Binary: return refuse("Binary values cannot be edited here.");
        case CellKind::Text:
        case CellKind::Memo: return parseText(rule, text);
    }
    return refuse("Unknown column kind.");
}

}  // namespace

void addFieldCheck(CellRule& rule, const pdx::FieldCheck& check) {
    rule.check = check;
    rule.picture = check.picture.empty() ? nullptr : std::make_shared<const pdx::Picture>(check.picture);
}

CellRule cellRuleFor(std::optional<db::JetType> jetType, const std::optional<pdx::Field>& source,
                     std::shared_ptr<pdx::CodePage> codePage) {
    if (source) {
        CellRule rule = fromParadox(*source);
        if (rule.kind == CellKind::Text || rule.kind == CellKind::Memo) rule.codePage = std::move(codePage);
        return rule;
    }
    using J = db::JetType;
    switch (jetType.value_or(J::Text)) {
        case J::Int: return integerRule(INT64_MIN + 1, INT64_MAX);
        case J::Float: return {CellKind::Number};
        case J::Decimal: return {CellKind::Decimal};
        case J::DateTime: return {CellKind::DateOrTimestamp};
        case J::Memo: return {CellKind::Memo};
        case J::OleObject: return {CellKind::Binary};
        case J::Text: break;
    }
    return {CellKind::Text};
}

CellInput parseCellInput(const CellRule& rule, const std::string& text) {
    if (text.empty()) return accept(std::monostate{});
    CellInput fitted = rule.picture ? fitPicture(rule, text) : accept(text);
    if (!fitted.ok) return fitted;
    CellInput input = parseTyped(rule, std::get<std::string>(fitted.value));
    return input.ok ? withinBounds(rule, std::move(input)) : input;
}

}  // namespace vts
