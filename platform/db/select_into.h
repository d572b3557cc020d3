// Carries out "select top N * into [Paradox 5.x;Database=FOLDER].[NAME.db] from [NAME]": writes
// the working table's first N rows as the Paradox table NAME.db.
#pragma once
#include <functional>

#include "platform/db/sqlite_handle.h"
#include "platform/db/statement_forms.h"
#include "platform/db/write_hooks.h"

namespace db {

// Replaces a table of that name in one step (its whole family, or nothing, changes); on failure
// the earlier table stays as it was and nothing else is left behind.
void selectInto(const SqliteDb& db, const SelectInto& statement, const WriteHooks& hooks);

}  // namespace db
