// The Jet column types of the working tables: their SQLite declared types, ADO type codes, and
// the Jet type the import gives each Paradox field type.
#pragma once
#include <string>

#include "platform/pdx/types.h"

namespace db {

// ADO DataTypeEnum codes used by the providers.
namespace ado {
constexpr int adSmallInt = 2, adInteger = 3, adDouble = 5, adDate = 7, adBoolean = 11, adDecimal = 14, adBigInt = 20,
              adBinary = 128, adNumeric = 131, adDBDate = 133, adDBTime = 134, adDBTimeStamp = 135, adVarChar = 200,
              adLongVarChar = 201, adVarWChar = 202, adLongVarWChar = 203, adLongVarBinary = 205;
}

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
// The working column type the import creates for a field type ("INT", "TEXT", ...).
std::string jetTypeOf(pdx::FieldType type);

}  // namespace db
