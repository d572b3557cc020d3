// Reads a working-table column of the current row straight into a Paradox field value, without
// the detour through a Variant for the common stored forms.
#pragma once
#include "platform/db/sqlite_handle.h"
#include "platform/pdx/types.h"

namespace db {

// The same value as toParadoxValue(st.column(column), type), and the same errors. A text kept in
// `out` from the previous row lends its storage.
void readParadoxValue(const Statement& st, int column, pdx::FieldType type, pdx::Value& out);

}  // namespace db
