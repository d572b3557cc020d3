// The values of the working tables: the form a value is stored in, and a stored column read
// straight into a Paradox field value.
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

}  // namespace db
