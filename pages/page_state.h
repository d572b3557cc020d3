// What the pages share: the current table name and the folder it lives in, the write-back done
// flag, the grid connection.
#pragma once
#include <memory>
#include <string>

#include <optional>

#include "bridge/edit_session.h"
#include "platform/db/connection.h"

namespace vts {

struct PageState {
    std::string currentTableName;
    std::string currentTableFolder;      // the Paradox folder, or the folder below it holding the table
    std::optional<EditSession> session;  // this window's claim on the table it edits
    bool writeBackDone = false;
    std::unique_ptr<db::Connection> gridConnection;  // none before the first Next
};

}  // namespace vts
