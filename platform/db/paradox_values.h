// The values of the working tables and the Paradox fields they come from and go back to: the
// form a value is stored in, a stored value turned back into a field's value, and a stored column
// read straight into one.
#pragma once
#include "platform/db/sqlite_handle.h"
#include "platform/pdx/format/types.h"

namespace db {

// Whether v holds one of SQLite's storage classes: Null, whole number, double, text or bytes.
bool isStorageClass(const pdx::Value& v);
// The value as a working table stores it: a storage class as it is, any other value (a logical,
// date, time, timestamp or decimal) as its text form (pdx::toText), the form the import stores.
pdx::Value storedForm(const pdx::Value& v);

// The same value as toParadoxValue(st.column(column), type), and the same errors, without the
// detour through a copy of the stored value for the common forms. A text kept in `out` from the
// previous row lends its storage.
void readParadoxValue(const Statement& st, int column, pdx::FieldType type, pdx::Value& out);

// Empty text and Null give a blank; any other value than SQLite stores is taken in its stored
// form (storedForm). Throws vts::Error saying why the value does not suit the field type (the
// caller adds row and field).
pdx::Value toParadoxValue(const pdx::Value& v, pdx::FieldType type);

}  // namespace db
