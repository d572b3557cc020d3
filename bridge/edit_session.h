// One window's claim on the Paradox table it edits. The table's working table is named after the
// table's folder and name, so two folders never share one; a claim is a lock in the data folder,
// so two windows (of one program or two) never edit one working table, and it ends with its
// window's program, a crash included, so the next start finds the edits it left.
#pragma once
#include <optional>
#include <string>

#include "platform/pdx/io/family_lock.h"
#include "platform/shell/app_context.h"

namespace vts {

// The working table of the Paradox table `name` in `folder`: the name and a tag of the folder.
std::string WorkingTableName(const std::string& folder, const std::string& name);

class EditSession {
public:
    // Empty when another window holds the table.
    static std::optional<EditSession> claim(AppContext& ctx, const std::string& folder, const std::string& name);

    const std::string& folder() const { return folder_; }
    const std::string& name() const { return name_; }
    const std::string& working() const { return working_; }

private:
    EditSession(std::string folder, std::string name, std::string working, pdx::FamilyLock lock);
    std::string folder_, name_, working_;
    pdx::FamilyLock lock_;
};

}  // namespace vts
