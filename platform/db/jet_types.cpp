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
constexpr std::array<std::pair<const char*, JetType>, 10> kTypeRules{{
    {"adlongvarbinary", JetType::OleObject},
    {"longvar", JetType::Memo},
    {"char", JetType::Text},
    {"decimal", JetType::Decimal},
    {"single", JetType::Int},
    {"int", JetType::Int},
    {"numeric", JetType::Int},
    {"date", JetType::DateTime},
    {"timestamp", JetType::DateTime},
    {"double", JetType::Float},
}};

// Each type's name, and the SQLite declared type its columns are created with.
struct JetTypeNames {
    JetType type;
    const char* name;
    const char* declared;
};
constexpr std::array<JetTypeNames, 7> kJetTypes{{
    {JetType::Text, "TEXT", "TEXT"},
    {JetType::Int, "INT", "INT"},
    {JetType::Float, "FLOAT", "FLOAT"},
    {JetType::Decimal, "DECIMAL", "DECIMAL TEXT"},  // exact decimal text, never rounded through a double
    {JetType::DateTime, "DATETIME", "DATETIME TEXT"},
    {JetType::Memo, "MEMO", "MEMO TEXT"},
    {JetType::OleObject, "OLEOBJECT", "OLEOBJECT BLOB"},
}};

const JetTypeNames& namesOf(JetType type) {
    for (const auto& n : kJetTypes)
        if (n.type == type) return n;
    return kJetTypes[0];
}

}  // namespace

std::string AdoTypeName(std::int16_t code) {
    for (const auto& [known, name] : kTypeNames)
        if (known == code) return name;
    return {};
}

const char* jetName(JetType type) { return namesOf(type).name; }

JetType ColumnType(std::int16_t code) {
    const std::string lowerTypeName = vts::asciiLower(AdoTypeName(code));
    for (const auto& [part, type] : kTypeRules)
        if (lowerTypeName.find(part) != std::string::npos) return type;
    return JetType::Text;
}

std::string sqliteDeclaredType(JetType type) { return namesOf(type).declared; }

std::optional<JetType> jetTypeOfDeclared(std::string_view declaredType) {
    const std::string word = vts::asciiUpper(std::string(declaredType.substr(0, declaredType.find_first_of(" \t("))));
    for (const auto& n : kJetTypes)
        if (word == n.name) return n.type;
    return std::nullopt;
}

namespace {

enum class Affinity { Integer, Text, Blob, Real, Numeric };

// SQLite's affinity rules, in their order.
Affinity affinityOf(std::string_view declaredType) {
    const std::string t = vts::asciiUpper(std::string(declaredType));
    auto has = [&](const char* word) { return t.find(word) != std::string::npos; };
    if (has("INT")) return Affinity::Integer;
    if (has("CHAR") || has("CLOB") || has("TEXT")) return Affinity::Text;
    if (t.empty() || has("BLOB")) return Affinity::Blob;
    if (has("REAL") || has("FLOA") || has("DOUB")) return Affinity::Real;
    return Affinity::Numeric;
}

}  // namespace

int adoTypeOfDeclared(std::string_view declaredType) {
    if (const auto jet = jetTypeOfDeclared(declaredType)) switch (*jet) {
            case JetType::Int: return ado::adInteger;
            case JetType::Float: return ado::adDouble;
            case JetType::Decimal: return ado::adNumeric;
            case JetType::DateTime: return ado::adDate;
            case JetType::Text: return ado::adVarWChar;
            case JetType::Memo: return ado::adLongVarWChar;
            case JetType::OleObject: return ado::adLongVarBinary;
        }
    switch (affinityOf(declaredType)) {
        case Affinity::Integer: return ado::adBigInt;
        case Affinity::Text: return ado::adVarWChar;
        case Affinity::Blob: return ado::adLongVarBinary;
        case Affinity::Real: return ado::adDouble;
        case Affinity::Numeric: break;
    }
    return ado::adNumeric;
}

JetType nearestJetType(std::string_view declaredType) {
    if (const auto jet = jetTypeOfDeclared(declaredType)) return *jet;
    switch (affinityOf(declaredType)) {
        case Affinity::Integer: return JetType::Int;
        case Affinity::Real: return JetType::Float;
        case Affinity::Blob: return JetType::OleObject;
        case Affinity::Text:
        case Affinity::Numeric: break;
    }
    return JetType::Text;
}

bool hasRealAffinity(std::string_view declaredType) { return affinityOf(declaredType) == Affinity::Real; }

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

JetType jetTypeOf(pdx::FieldType type) { return ColumnType(static_cast<std::int16_t>(adoTypeOf(type))); }

}  // namespace db
