// ADO data type codes as the Paradox fields map to them: their constant names, and the working
// table's column type that the import picks from a name.
#pragma once
#include <cstdint>
#include <string>

namespace vts {

// "adVarWChar" for 202; empty for a code that is not one of the 39 known ones.
std::string AdoTypeName(std::int16_t code);

// The working column's Jet type for a column of that ADO type, chosen from the lower-cased type
// name: "INT" for adInteger (3), "MEMO" for adLongVarWChar (203), "TEXT" for unknown codes.
std::string ColumnType(std::int16_t code);

}  // namespace vts
