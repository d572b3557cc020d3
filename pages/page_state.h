// What the pages share: the current table name and the folder it lives in, the write-back done
// flag, the grid connection, and the rows of the table still being copied while the grid shows.
#pragma once
#include <memory>
#include <string>

#include <optional>

#include "bridge/edit_session.h"
#include "bridge/import_tail.h"
#include "platform/db/connection.h"

namespace vts {

struct PageState {
    std::string currentTableName;
    std::string currentTableFolder;      // the Paradox folder, or the folder below it holding the table
    std::optional<EditSession> session;  // this window's claim on the table it edits
    bool writeBackDone = false;
    std::unique_ptr<db::Connection> gridConnection;  // none before the first Next
    std::unique_ptr<ImportTail> importTail;          // until the grid page has seen the last row in
};

}  // namespace vts
