// Where a print job's temporary file goes, and how it is created without trusting that folder.
#pragma once
#include <string>

#include "platform/shell/temp_folder.h"

namespace vts {

// Creates a new folder named prefix + six random characters in folder, open to the user alone
// (mkdtemp), and returns its absolute path. Throws vts::Error when it cannot.
std::string CreatePrivateFolder(const std::string& folder, const std::string& prefix);

// Creates the new, empty file name in folder, readable and writable by the user alone; never
// opens or follows anything already there. Throws vts::Error when it cannot.
void CreateNewFile(const std::string& path);

}  // namespace vts
