// The folder picker: the platform's folder dialog through Dialogs, its answer tidied.
#pragma once
#include <string>

#include "platform/shell/app_context.h"

namespace vts {

// The chosen folder's path, or "" when the user cancelled.
std::string BrowseForFolder(AppContext& ctx, const std::string& prompt, const std::string& initialFolder);

// A dialog's answer as callers expect it: cut at the first NUL, no trailing '/' except for
// "/" itself; "" stays "" (cancel).
std::string normaliseChosenFolder(std::string chosen);

}  // namespace vts
