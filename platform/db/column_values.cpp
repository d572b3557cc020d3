// Checks a value typed into the grid against its working column's Jet type and gives the form
// to store, as Jet would refuse "abc" in a number column.
#include "platform/db/column_values.h"

#include "platform/db/paradox_values.h"
#include "platform/db/stored_values.h"
#include "platform/pdx/format/value_text.h"

namespace db {

pdx::Value valueForColumn(const pdx::Value& v, const std::string& jetType) {
    using T = pdx::FieldType;
    if (!isStorageClass(v)) return valueForColumn(storedForm(v), jetType);
    if (pdx::isNull(v)) return v;
    if (auto t = std::get_if<std::string>(&v); t && t->empty()) return std::monostate{};
    if (jetType == "INT") return storedForm(toParadoxValue(v, T::Long));
    if (jetType == "FLOAT") return storedForm(toParadoxValue(v, T::Number));
    if (jetType == "DECIMAL") return storedForm(toParadoxValue(v, T::Bcd));
    if (jetType == "OLEOBJECT") return storedForm(toParadoxValue(v, T::Binary));
    if (jetType == "DATETIME") {
        toParadoxValue(v, T::Timestamp);  // throws unless a date or date and time
        return std::string(pdx::trimBlanks(std::get<std::string>(v)));
    }
    if (jetType == "TEXT" || jetType == "MEMO") return storedForm(toParadoxValue(v, T::Alpha));
    return v;
}

}  // namespace db
