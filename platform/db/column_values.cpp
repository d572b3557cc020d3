// Checks a value typed into the grid against its working column's Jet type and gives the form
// to store, as Jet would refuse "abc" in a number column.
#include "platform/db/column_values.h"

#include "platform/db/paradox_values.h"
#include "platform/db/value_text.h"

namespace db {

namespace {

Variant fromParadox(const pdx::Value& v) {
    if (auto i = std::get_if<std::int64_t>(&v)) return *i;
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto dec = std::get_if<pdx::Decimal>(&v)) return dec->text;
    if (auto b = std::get_if<pdx::Bytes>(&v)) return *b;
    if (auto s = std::get_if<std::string>(&v)) return *s;
    return std::monostate{};
}

}  // namespace

Variant valueForColumn(const Variant& v, const std::string& jetType) {
    using T = pdx::FieldType;
    if (isNull(v)) return v;
    if (auto t = std::get_if<std::string>(&v); t && t->empty()) return std::monostate{};
    if (jetType == "INT") return fromParadox(toParadoxValue(v, T::Long));
    if (jetType == "FLOAT") return fromParadox(toParadoxValue(v, T::Number));
    if (jetType == "DECIMAL") return fromParadox(toParadoxValue(v, T::Bcd));
    if (jetType == "OLEOBJECT") return fromParadox(toParadoxValue(v, T::Binary));
    if (jetType == "DATETIME") {
        toParadoxValue(v, T::Timestamp);  // throws unless a date or date and time
        return std::string(trimBlanks(std::get<std::string>(v)));
    }
    if (jetType == "TEXT" || jetType == "MEMO") return fromParadox(toParadoxValue(v, T::Alpha));
    return v;
}

}  // namespace db
