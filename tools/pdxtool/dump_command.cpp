// pdxtool dump: every record as CSV (RFC 4180) or as a JSON array of objects.
#include <cmath>
#include <cstdio>
#include <ostream>

#include "platform/pdx/reader.h"
#include "tools/pdxtool/commands.h"
#include "tools/pdxtool/value_text.h"

namespace pdxtool {

namespace {

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
    if (const auto* d = std::get_if<double>(&v); d && std::isfinite(*d)) return doubleText(*d);
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

void runDump(const std::filesystem::path& table, const std::string& format, std::ostream& out) {
    if (format != "csv" && format != "json") throw pdx::Error("unknown dump format \"" + format + "\" (csv or json)");
    pdx::TableReader reader(table);
    if (format == "csv") dumpCsv(reader, out);
    else dumpJson(reader, out);
}

}  // namespace pdxtool
