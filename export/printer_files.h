// DeleteFileQuietly and ForceDeleteFile (module Main): removing the temporary print file.
#pragma once
#include <string>

#include "platform/shell/app_context.h"

namespace vts {

// Lets pending window events be handled once, then deletes the file, trying ForceDeleteFile
// when the first attempt fails. Never reports a failure; a file that cannot go stays.
void DeleteFileQuietly(AppContext& app, const std::string& path);

// Deletes the file (a link itself, never what it points to; never a folder). Throws
// vts::Error with the reason when it cannot. A read-only file needs nothing special here:
// removing a name takes write access to its folder, not to the file.
void ForceDeleteFile(const std::string& path);

}  // namespace vts
