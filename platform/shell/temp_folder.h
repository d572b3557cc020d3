// Where the program writes its temporary files: $TEMP, else $TMPDIR, else /tmp (the first one
// set and not empty). Every temporary folder of the program is made under it.
#pragma once
#include <string>

namespace vts {

std::string TempFolder();

}  // namespace vts
