// Text forms of database values, independent of the locale.
#include "platform/db/variant.h"

#include <charconv>
#include <cmath>

namespace db {

std::string formatDouble(double d) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d < 0 ? "-Infinity" : "Infinity";
    char buf[400];
    const double mag = std::fabs(d);
    // Fixed notation for ordinary magnitudes; the shortest form (maybe with exponent) otherwise.
    const bool ordinary = mag == 0 || (mag >= 1e-7 && mag < 1e21);
    const auto res = ordinary ? std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed)
                              : std::to_chars(buf, buf + sizeof buf, d);
    std::string out(buf, res.ptr);
    if (out == "-0") out = "0";
    return out;
}

static std::string hexText(const Bytes& b) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(b.size() * 2);
    for (auto byte : b) {
        out += digits[byte >> 4];
        out += digits[byte & 0x0F];
    }
    return out;
}

std::string toText(const Variant& v) {
    if (isNull(v)) return {};
    if (auto i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto d = std::get_if<double>(&v)) return formatDouble(*d);
    if (auto t = std::get_if<std::string>(&v)) return *t;
    return hexText(std::get<Bytes>(v));
}

std::string sqlLiteral(const Variant& v) {
    if (isNull(v)) return "NULL";
    if (std::holds_alternative<std::int64_t>(v)) return toText(v);
    if (auto d = std::get_if<double>(&v)) {
        if (std::isnan(*d)) return "NULL";                       // SQLite has no NaN: it stores NULL
        if (std::isinf(*d)) return *d < 0 ? "-9e999" : "9e999";  // reads back as infinity
        return formatDouble(*d);
    }
    if (auto b = std::get_if<Bytes>(&v)) return "X'" + hexText(*b) + "'";
    std::string out = "'";
    for (char c : std::get<std::string>(v)) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

}  // namespace db
