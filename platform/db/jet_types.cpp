// The Jet column types of the working tables and the ADO type codes: their SQLite declared types,
// the codes' names, and the Jet type the import gives each Paradox field type.
#include "platform/db/jet_types.h"

#include <array>
#include <utility>

#include "platform/shell/ascii_case.h"

namespace db {

namespace {

// Each code with the name of its constant, both from the one constant.
#define VTS_ADO_NAME(constant) \
    { ado::constant, #constant }
constexpr std::array<std::pair<int, const char*>, 39> kTypeNames{{
    VTS_ADO_NAME(adEmpty),
    VTS_ADO_NAME(adSmallInt),
    VTS_ADO_NAME(adInteger),
    VTS_ADO_NAME(adSingle),
    VTS_ADO_NAME(adDouble),
    VTS_ADO_NAME(adCurrency),
    VTS_ADO_NAME(adDate),
    VTS_ADO_NAME(adBSTR),
    VTS_ADO_NAME(adIDispatch),
    VTS_ADO_NAME(adError),
    VTS_ADO_NAME(adBoolean),
    VTS_ADO_NAME(adVariant),
    VTS_ADO_NAME(adIUnknown),
    VTS_ADO_NAME(adDecimal),
    VTS_ADO_NAME(adTinyInt),
    VTS_ADO_NAME(adUnsignedTinyInt),
    VTS_ADO_NAME(adUnsignedSmallInt),
    VTS_ADO_NAME(adUnsignedInt),
    VTS_ADO_NAME(adBigInt),
    VTS_ADO_NAME(adUnsignedBigInt),
    VTS_ADO_NAME(adFileTime),
    VTS_ADO_NAME(adGUID),
    VTS_ADO_NAME(adBinary),
    VTS_ADO_NAME(adChar),
    VTS_ADO_NAME(adWChar),
    VTS_ADO_NAME(adNumeric),
    VTS_ADO_NAME(adUserDefined),
    VTS_ADO_NAME(adDBDate),
    VTS_ADO_NAME(adDBTime),
    VTS_ADO_NAME(adDBTimeStamp),
    VTS_ADO_NAME(adChapter),
    VTS_ADO_NAME(adPropVariant),
    VTS_ADO_NAME(adVarNumeric),
    VTS_ADO_NAME(adVarChar),
    VTS_ADO_NAME(adLongVarChar),
    VTS_ADO_NAME(adVarWChar),
    VTS_ADO_NAME(adLongVarWChar),
    VTS_ADO_NAME(adVarBinary),
    VTS_ADO_NAME(adLongVarBinary),
}};
#undef VTS_ADO_NAME

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
    const std::string lowerTypeName = vts::asciiLower(AdoTypeName(code));
    for (const auto& [part, type] : kTypeRules)
        if (lowerTypeName.find(part) != std::string::npos) return type;
    return "TEXT";
}

std::string sqliteDeclaredType(const std::string& jetType) {
    const std::string t = vts::asciiUpper(jetType);
    if (t == "MEMO") return "MEMO TEXT";
    if (t == "DECIMAL") return "DECIMAL TEXT";  // exact decimal text, never rounded through a double
    if (t == "DATETIME") return "DATETIME TEXT";
    if (t == "OLEOBJECT") return "OLEOBJECT BLOB";
    if (t == "INT" || t == "FLOAT" || t == "TEXT") return t;
    return jetType;
}

std::string jetTypeOf(const std::string& declaredType) {
    const auto end = declaredType.find_first_of(" \t(");
    return vts::asciiUpper(declaredType.substr(0, end));
}

namespace {

enum class Affinity { Integer, Text, Blob, Real, Numeric };

// SQLite's affinity rules, in their order.
Affinity affinityOf(const std::string& declaredType) {
    const std::string t = vts::asciiUpper(declaredType);
    auto has = [&](const char* word) { return t.find(word) != std::string::npos; };
    if (has("INT")) return Affinity::Integer;
    if (has("CHAR") || has("CLOB") || has("TEXT")) return Affinity::Text;
    if (t.empty() || has("BLOB")) return Affinity::Blob;
    if (has("REAL") || has("FLOA") || has("DOUB")) return Affinity::Real;
    return Affinity::Numeric;
}

}  // namespace

int adoTypeOfDeclared(const std::string& declaredType) {
    const std::string jet = jetTypeOf(declaredType);
    if (jet == "INT") return ado::adInteger;
    if (jet == "FLOAT") return ado::adDouble;
    if (jet == "DECIMAL") return ado::adNumeric;
    if (jet == "DATETIME") return ado::adDate;
    if (jet == "TEXT") return ado::adVarWChar;
    if (jet == "MEMO") return ado::adLongVarWChar;
    if (jet == "OLEOBJECT") return ado::adLongVarBinary;
    switch (affinityOf(declaredType)) {
        case Affinity::Integer: return ado::adBigInt;
        case Affinity::Text: return ado::adVarWChar;
        case Affinity::Blob: return ado::adLongVarBinary;
        case Affinity::Real: return ado::adDouble;
        case Affinity::Numeric: break;
    }
    return ado::adNumeric;
}

bool hasRealAffinity(const std::string& declaredType) { return affinityOf(declaredType) == Affinity::Real; }

int adoTypeOf(pdx::FieldType type) {
    using T = pdx::FieldType;
    switch (type) {
        case T::Alpha: return ado::adVarChar;
        case T::Date: return ado::adDBDate;
        case T::Short: return ado::adSmallInt;
        case T::Long:
        case T::AutoInc: return ado::adInteger;
        case T::Number:
        case T::Currency: return ado::adDouble;
        case T::Logical: return ado::adBoolean;
        case T::Memo: return ado::adLongVarChar;
        case T::FmtMemo:
        case T::Binary:
        case T::Ole:
        case T::Graphic: return ado::adLongVarBinary;
        case T::Time: return ado::adDBTime;
        case T::Timestamp: return ado::adDBTimeStamp;
        case T::Bcd: return ado::adDecimal;
        case T::Bytes: return ado::adBinary;
    }
    return ado::adVarChar;
}

std::string jetTypeOf(pdx::FieldType type) { return ColumnType(static_cast<std::int16_t>(adoTypeOf(type))); }

}  // namespace db
