// The Jet column types of the working tables and the ADO type codes: their SQLite declared types,
// the codes' names, and the Jet type the import gives each Paradox field type.
#pragma once
#include <cstdint>
#include <string>

#include "platform/pdx/format/types.h"

namespace db {

// ADO DataTypeEnum codes: every code AdoTypeName knows, named as ADO names them.
namespace ado {
constexpr int adEmpty = 0, adSmallInt = 2, adInteger = 3, adSingle = 4, adDouble = 5, adCurrency = 6, adDate = 7,
              adBSTR = 8, adIDispatch = 9, adError = 10, adBoolean = 11, adVariant = 12, adIUnknown = 13,
              adDecimal = 14, adTinyInt = 16, adUnsignedTinyInt = 17, adUnsignedSmallInt = 18, adUnsignedInt = 19,
              adBigInt = 20, adUnsignedBigInt = 21, adFileTime = 64, adGUID = 72, adBinary = 128, adChar = 129,
              adWChar = 130, adNumeric = 131, adUserDefined = 132, adDBDate = 133, adDBTime = 134, adDBTimeStamp = 135,
              adChapter = 136, adPropVariant = 138, adVarNumeric = 139, adVarChar = 200, adLongVarChar = 201,
              adVarWChar = 202, adLongVarWChar = 203, adVarBinary = 204, adLongVarBinary = 205;
}  // namespace ado

// "adVarWChar" for 202; empty for a code that is not one of the 39 known ones.
std::string AdoTypeName(std::int16_t code);
// The working column's Jet type for a column of that ADO type, chosen from the lower-cased type
// name: "INT" for adInteger (3), "MEMO" for adLongVarWChar (203), "TEXT" for unknown codes.
std::string ColumnType(std::int16_t code);

// "MEMO" -> "MEMO TEXT" and so on; other type words unchanged.
std::string sqliteDeclaredType(const std::string& jetType);
// The declared type's first word, upper-cased: "DECIMAL TEXT" -> "DECIMAL".
std::string jetTypeOf(const std::string& declaredType);
// ADO code of a working column from its declared type (Jet name, else SQLite affinity).
int adoTypeOfDeclared(const std::string& declaredType);

// Whether SQLite gives a column of this declared type REAL affinity (its rules, in their order).
bool hasRealAffinity(const std::string& declaredType);

// ADO code the Paradox provider reports for a field type.
int adoTypeOf(pdx::FieldType type);
// The working column type the import creates for a field type ("INT", "TEXT", ...): the
// ColumnType of its ADO code.
std::string jetTypeOf(pdx::FieldType type);

}  // namespace db
