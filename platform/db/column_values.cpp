// Checks a value typed into the grid against its working column's Jet type and gives the form
// to store, as Jet would refuse "abc" in a number column.
#include "platform/db/column_values.h"

#include "platform/db/paradox_values.h"
#include "platform/pdx/format/value_text.h"

namespace db {

pdx::Value valueForColumn(const pdx::Value& v, std::optional<JetType> jetType) {
    using T = pdx::FieldType;
    if (!isStorageClass(v)) return valueForColumn(storedForm(v), jetType);
    if (pdx::isNull(v)) return v;
    if (auto t = std::get_if<std::string>(&v); t && t->empty()) return std::monostate{};
    if (!jetType) return v;
    switch (*jetType) {
        case JetType::Int: return storedForm(toParadoxValue(v, T::Long));
        case JetType::Float: return storedForm(toParadoxValue(v, T::Number));
        case JetType::Decimal: return storedForm(toParadoxValue(v, T::Bcd));
        case JetType::OleObject: return storedForm(toParadoxValue(v, T::Binary));
        case JetType::DateTime:
            toParadoxValue(v, T::Timestamp);  // throws unless a date or date and time
            return std::string(pdx::trimBlanks(std::get<std::string>(v)));
        case JetType::Text:
        case JetType::Memo: break;
    }
    return storedForm(toParadoxValue(v, T::Alpha));
}

}  // namespace db
