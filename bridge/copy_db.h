// Offers to copy a Paradox folder whose path holds a blank into TestDB at the drive root.
#pragma once
#include <string>

#include "platform/shell/app_context.h"
#include "platform/shell/file_system.h"

namespace vts {

// The drive part of the application folder followed by '/': the user's home stands for the
// drive root ("/home/ann/").
std::string AppDriveRoot(AppContext& ctx, FileSystemObject& fso);

// Reads and may rewrite the folder box (ctx.folderText / setFolderText). sample chooses the
// word of the question: "sample" or "Your".
void CopyDB(AppContext& ctx, bool& sample, FileSystemObject& fso);

}  // namespace vts
