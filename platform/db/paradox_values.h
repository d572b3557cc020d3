// Turns a working-table value (its text form or SQLite's stored form) back into the value of a
// Paradox field.
#pragma once
#include "platform/pdx/format/types.h"

namespace db {

// Empty text and Null give a blank; any other value than SQLite stores is taken in its stored
// form (storedForm). Throws vts::Error saying why the value does not suit the field type (the
// caller adds row and field).
pdx::Value toParadoxValue(const pdx::Value& v, pdx::FieldType type);

}  // namespace db
