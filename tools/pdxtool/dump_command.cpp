// pdxtool dump: every record as CSV (RFC 4180) or as a JSON array of objects.
#include <cmath>
#include <cstdio>
#include <ostream>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/format/value_text.h"
#include "tools/pdxtool/commands.h"

namespace pdxtool {

namespace {

// A time of day; a stored number outside a day is shown as it is.
std::string timeText(pdx::Time t) {
    if (t.ms < 0 || t.ms >= pdx::kMsPerDay) return std::to_string(t.ms) + " ms";
    return pdx::formatTime(t.ms);
}

// A date and time, days counted down for a time before day 0; a stored number that is no whole
// millisecond, or whose day would not fit, is shown as it is.
std::string timestampText(pdx::Timestamp ts) {
    constexpr double kLimit = 2.0e9 * static_cast<double>(pdx::kMsPerDay);
    if (!std::isfinite(ts.ms) || std::fabs(ts.ms) > kLimit || ts.ms != std::floor(ts.ms))
        return pdx::shortestDouble(ts.ms) + " ms";
    const auto total = static_cast<long long>(ts.ms);
    long long day = total / pdx::kMsPerDay;
    long long rest = total % pdx::kMsPerDay;
    if (rest < 0) {
        rest += pdx::kMsPerDay;
        --day;
    }
    return pdx::formatDate(static_cast<std::int32_t>(day)) + " " + pdx::formatTime(static_cast<std::int32_t>(rest));
}

// The dump's text of a value: the shared text forms, but doubles in their shortest form,
// logicals "true"/"false" and bytes in lower-case hexadecimal.
struct DumpText {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(std::int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const { return pdx::shortestDouble(v); }
    std::string operator()(bool v) const { return v ? "true" : "false"; }
    std::string operator()(const std::string& v) const { return v; }
    std::string operator()(const pdx::Bytes& v) const { return pdx::hexText(v, pdx::HexCase::Lower); }
    std::string operator()(pdx::Date v) const { return pdx::formatDate(v.day); }
    std::string operator()(pdx::Time v) const { return timeText(v); }
    std::string operator()(pdx::Timestamp v) const { return timestampText(v); }
    std::string operator()(const pdx::Decimal& v) const { return v.text; }
};

std::string valueText(const pdx::Value& v) { return std::visit(DumpText{}, v); }

std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

std::string jsonString(const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            q += '\\';
            q += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            q += buf;
        } else {
            q += c;
        }
    }
    return q + "\"";
}

std::string jsonValue(const pdx::Value& v) {
    if (pdx::isNull(v)) return "null";
    if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (const auto* b = std::get_if<bool>(&v)) return *b ? "true" : "false";
    if (const auto* d = std::get_if<double>(&v); d && std::isfinite(*d)) return pdx::shortestDouble(*d);
    return jsonString(valueText(v));
}

void dumpCsv(pdx::TableReader& reader, std::ostream& out) {
    const auto& fields = reader.info().schema.fields;
    for (std::size_t i = 0; i < fields.size(); ++i) out << (i ? "," : "") << csvField(fields[i].name);
    out << "\r\n";
    pdx::Record r;
    while (reader.next(r)) {
        for (std::size_t i = 0; i < r.size(); ++i) out << (i ? "," : "") << csvField(valueText(r[i]));
        out << "\r\n";
    }
}

void dumpJson(pdx::TableReader& reader, std::ostream& out) {
    const auto& fields = reader.info().schema.fields;
    out << "[";
    pdx::Record r;
    bool first = true;
    while (reader.next(r)) {
        out << (first ? "\n" : ",\n") << "  {";
        first = false;
        for (std::size_t i = 0; i < r.size(); ++i)
            out << (i ? ", " : "") << jsonString(fields[i].name) << ": " << jsonValue(r[i]);
        out << "}";
    }
    out << "\n]\n";
}

}  // namespace

void runDump(const std::filesystem::path& table, const pdx::Unlock& unlock, const std::string& format,
             std::ostream& out) {
    if (format != "csv" && format != "json") throw pdx::Error("unknown dump format \"" + format + "\" (csv or json)");
    pdx::TableReader reader(table, unlock);
    if (format == "csv") dumpCsv(reader, out);
    else dumpJson(reader, out);
}

}  // namespace pdxtool
