// Carries out "select top N * into [Paradox 5.x;Database=FOLDER].[NAME.db] from [NAME]": writes
// the working table's first N rows as the Paradox table NAME.db.
#pragma once
#include <functional>

#include "platform/db/sqlite_handle.h"
#include "platform/db/statement_forms.h"
#include "platform/db/write_hooks.h"

namespace db {

// Refuses when a table of that name is still in the folder. Installs the new table and drops the
// family set aside by the Paradox connection's DROP TABLE; on failure puts that family back and
// leaves nothing else behind.
void selectInto(const SqliteDb& db, const SelectInto& statement, const WriteHooks& hooks);

}  // namespace db
