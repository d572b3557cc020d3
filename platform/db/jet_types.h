// The Jet column types of the working tables and the ADO type codes: their SQLite declared types,
// the codes' names, and the Jet type the import gives each Paradox field type.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// The column types of the working tables, as Jet names them.
enum class JetType { Text, Int, Float, Decimal, DateTime, Memo, OleObject };

// "TEXT", "INT", "FLOAT", "DECIMAL", "DATETIME", "MEMO", "OLEOBJECT".
const char* jetName(JetType type);

// "adVarWChar" for 202; empty for a code that is not one of the 39 known ones.
std::string AdoTypeName(std::int16_t code);
// The working column's Jet type for a column of that ADO type, chosen from the lower-cased type
// name: Int for adInteger (3), Memo for adLongVarWChar (203), Text for unknown codes.
JetType ColumnType(std::int16_t code);

// The SQLite declared type a working column of that type is created with: Memo -> "MEMO TEXT"
// and so on, so that SQLite's affinity keeps each value as the import gave it.
std::string sqliteDeclaredType(JetType type);
// The Jet type a declared type's first word names ("DECIMAL TEXT" -> Decimal); none for a
// column declared otherwise ("VARCHAR(10)"), as a table made by another program may be.
std::optional<JetType> jetTypeOfDeclared(std::string_view declaredType);
// The Jet type a working column is treated as: its own, else the nearest for its affinity.
JetType nearestJetType(std::string_view declaredType);
// ADO code of a working column from its declared type (Jet name, else SQLite affinity).
int adoTypeOfDeclared(std::string_view declaredType);

// Whether SQLite gives a column of this declared type REAL affinity (its rules, in their order).
bool hasRealAffinity(std::string_view declaredType);

// ADO code the Paradox provider reports for a field type.
int adoTypeOf(pdx::FieldType type);
// The working column type the import creates for a field type: the ColumnType of its ADO code.
JetType jetTypeOf(pdx::FieldType type);

}  // namespace db
