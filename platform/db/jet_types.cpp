// The Jet column types of the working tables: their SQLite declared types, ADO type codes, and
// the Jet type the import gives each Paradox field type.
#include "platform/db/jet_types.h"

#include "platform/shell/ascii_case.h"

namespace db {

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

std::string jetTypeOf(pdx::FieldType type) {
    switch (adoTypeOf(type)) {
        case ado::adSmallInt:
        case ado::adInteger: return "INT";
        case ado::adDouble: return "FLOAT";
        case ado::adDBDate:
        case ado::adDBTimeStamp: return "DATETIME";
        case ado::adDecimal: return "DECIMAL";
        case ado::adLongVarChar: return "MEMO";
        case ado::adLongVarBinary: return "OLEOBJECT";
        default: return "TEXT";  // Alpha, Logical, Time, Bytes
    }
}

}  // namespace db
