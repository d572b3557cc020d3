// The structure a working table is written back with: the recorded source structure when the
// columns still match it, otherwise one derived from the column types and the data.
#include "platform/db/paradox_schema.h"

#include <algorithm>
#include <cmath>

#include "platform/db/jet_types.h"
#include "platform/db/paradox_values.h"
#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/value_text.h"
#include "platform/shell/errors.h"
#include "platform/shell/utf8_text.h"

namespace db {

namespace {

using T = pdx::FieldType;
constexpr std::int64_t kLongLimit = 2147483647;                // the Long field's range is symmetric
constexpr std::int64_t kExactIntegerLimit = 9007199254740992;  // 2^53
constexpr int kAlphaMax = 255;
constexpr int kMemoSize = 11;  // smallest in-record leader
constexpr int kBinarySize = 10;

// What the values of one column need.
struct ColumnNeeds {
    JetType jet;
    bool fractional = false;          // INT: a value is not whole
    std::int64_t largest = 0;         // INT: largest magnitude
    int intDigits = 0, decimals = 0;  // DECIMAL: digits before and after the point
    bool hasTime = false;             // DATETIME
    std::size_t longest = 1;          // TEXT, in characters

    void observe(const pdx::Value& v, std::int64_t row, const std::string& field);
    pdx::Field field(const std::string& name) const;

private:
    void observeInt(const pdx::Value& v);
    void observeDecimal(const pdx::Value& v);
    void observeDateTime(const pdx::Value& v);
};

void ColumnNeeds::observe(const pdx::Value& v, std::int64_t row, const std::string& field) {
    try {
        if (jet == JetType::Int) observeInt(v);
        else if (jet == JetType::Decimal) observeDecimal(v);
        else if (jet == JetType::DateTime) observeDateTime(v);
        else if (jet == JetType::Text) longest = std::max(longest, vts::characterCount(pdx::toText(v)));
        else if (jet == JetType::OleObject) toParadoxValue(v, T::Binary);  // fails here, before anything is written
    } catch (const vts::Error& e) {
        throw vts::Error(rowFieldText(row, field, e.what()));
    }
}

void ColumnNeeds::observeInt(const pdx::Value& v) {
    const auto value = toParadoxValue(v, std::holds_alternative<double>(v) ? T::Number : T::Long);
    if (pdx::isNull(value)) return;
    const auto* d = std::get_if<double>(&value);
    if (d && std::trunc(*d) != *d) fractional = true;
    const double magnitude = std::fabs(d ? *d : double(std::get<std::int64_t>(value)));
    if (magnitude > double(kExactIntegerLimit))
        throw vts::Error(pdx::toText(v) + " is beyond 2^53 and cannot be stored exactly in a Paradox table.");
    largest = std::max(largest, static_cast<std::int64_t>(magnitude));
}

void ColumnNeeds::observeDecimal(const pdx::Value& v) {
    const auto value = toParadoxValue(v, T::Bcd);
    if (pdx::isNull(value)) return;
    std::string_view text = std::get<pdx::Decimal>(value).text;
    if (text[0] == '-') text.remove_prefix(1);
    const auto point = text.find('.');
    const auto whole = text.substr(0, point);
    const auto firstDigit = whole.find_first_not_of('0');
    intDigits = std::max(intDigits, firstDigit == std::string_view::npos ? 0 : int(whole.size() - firstDigit));
    if (point != std::string_view::npos) decimals = std::max(decimals, int(text.size() - point - 1));
    if (intDigits + decimals > pdx::kBcdDigits)
        throw vts::Error("with the other values' decimals the column needs more than " +
                         std::to_string(pdx::kBcdDigits) + " digits.");
}

void ColumnNeeds::observeDateTime(const pdx::Value& v) {
    const auto value = toParadoxValue(v, T::Timestamp);
    if (pdx::isNull(value)) return;
    const auto ms = static_cast<std::int64_t>(std::get<pdx::Timestamp>(value).ms);
    hasTime = hasTime || ms % pdx::kMsPerDay != 0;
}

pdx::Field ColumnNeeds::field(const std::string& name) const {
    switch (jet) {
        case JetType::Int:
            return fractional || largest > kLongLimit ? pdx::Field{name, T::Number, 8} : pdx::Field{name, T::Long, 4};
        case JetType::Float: return {name, T::Number, 8};
        case JetType::Decimal: return {name, T::Bcd, decimals};
        case JetType::DateTime: return hasTime ? pdx::Field{name, T::Timestamp, 8} : pdx::Field{name, T::Date, 4};
        case JetType::Memo: return {name, T::Memo, kMemoSize};
        case JetType::OleObject: return {name, T::Binary, kBinarySize};
        case JetType::Text: break;
    }
    if (longest > std::size_t(kAlphaMax)) return {name, T::Memo, kMemoSize};
    return {name, T::Alpha, static_cast<int>(longest)};
}

}  // namespace

void readFieldOfRow(const Statement& st, int column, const pdx::Field& field, std::int64_t row, pdx::Value& out) {
    try {
        readParadoxValue(st, column, field.type, out);
    } catch (const vts::Error& e) {
        throw vts::Error(rowFieldText(row, field.name, e.what()));
    }
}

std::string rowFieldText(std::int64_t row, const std::string& field, const std::string& what) {
    return "Row " + std::to_string(row) + ", field \"" + field + "\": " + what;
}

bool matchesRecorded(const WorkingTable& table, const pdx::Schema& recorded) {
    if (table.columns.size() != recorded.fields.size()) return false;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const auto& c = table.columns[i];
        const auto& f = recorded.fields[i];
        if (c.name != f.name || c.jetType() != jetTypeOf(f.type)) return false;
    }
    return true;
}

std::string firstRowsInOrder(const WorkingTable& table, std::int64_t top) {
    return "SELECT " + table.quotedColumns() + " FROM " + quoteIdentifier(table.name) + " ORDER BY " + table.rowid +
           " LIMIT " + std::to_string(top);
}

pdx::Schema deriveSchema(const SqliteDb& db, const WorkingTable& table, std::int64_t top) {
    std::vector<ColumnNeeds> needs;
    for (const auto& c : table.columns) needs.push_back(ColumnNeeds{nearestJetType(c.declaredType)});
    forEachRow(db, table, top, [&](std::int64_t row, const Statement& st) {
        for (std::size_t i = 0; i < needs.size(); ++i) needs[i].observe(st.column(int(i)), row, table.columns[i].name);
    });
    pdx::Schema schema;  // unkeyed, code page 1252, DBWINUS0
    for (std::size_t i = 0; i < needs.size(); ++i) schema.fields.push_back(needs[i].field(table.columns[i].name));
    return schema;
}

}  // namespace db
