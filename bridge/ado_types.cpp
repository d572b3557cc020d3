#include "bridge/ado_types.h"

#include "platform/shell/ascii_case.h"

#include <array>
#include <utility>

namespace vts {

namespace {

constexpr std::array<std::pair<std::int16_t, const char*>, 39> kTypeNames{{
    {0, "adEmpty"},
    {2, "adSmallInt"},
    {3, "adInteger"},
    {4, "adSingle"},
    {5, "adDouble"},
    {6, "adCurrency"},
    {7, "adDate"},
    {8, "adBSTR"},
    {9, "adIDispatch"},
    {10, "adError"},
    {11, "adBoolean"},
    {12, "adVariant"},
    {13, "adIUnknown"},
    {14, "adDecimal"},
    {16, "adTinyInt"},
    {17, "adUnsignedTinyInt"},
    {18, "adUnsignedSmallInt"},
    {19, "adUnsignedInt"},
    {20, "adBigInt"},
    {21, "adUnsignedBigInt"},
    {64, "adFileTime"},
    {72, "adGUID"},
    {128, "adBinary"},
    {129, "adChar"},
    {130, "adWChar"},
    {131, "adNumeric"},
    {132, "adUserDefined"},
    {133, "adDBDate"},
    {134, "adDBTime"},
    {135, "adDBTimeStamp"},
    {136, "adChapter"},
    {138, "adPropVariant"},
    {139, "adVarNumeric"},
    {200, "adVarChar"},
    {201, "adLongVarChar"},
    {202, "adVarWChar"},
    {203, "adLongVarWChar"},
    {204, "adVarBinary"},
    {205, "adLongVarBinary"},
}};

// First matching substring wins; the order matters ("adlongvarbinary" before "longvar").
constexpr std::array<std::pair<const char*, const char*>, 10> kTypeRules{{
    {"adlongvarbinary", "OLEOBJECT"},
    {"longvar", "MEMO"},
    {"char", "TEXT"},
    {"decimal", "DECIMAL"},
    {"single", "INT"},
    {"int", "INT"},
    {"numeric", "INT"},
    {"date", "DATETIME"},
    {"timestamp", "DATETIME"},
    {"double", "FLOAT"},
}};

}  // namespace

std::string AdoTypeName(std::int16_t code) {
    for (const auto& [known, name] : kTypeNames)
        if (known == code) return name;
    return {};
}

std::string ColumnType(std::int16_t code) {
    const std::string lowerTypeName = asciiLower(AdoTypeName(code));
    for (const auto& [part, type] : kTypeRules)
        if (lowerTypeName.find(part) != std::string::npos) return type;
    return "TEXT";
}

}  // namespace vts
