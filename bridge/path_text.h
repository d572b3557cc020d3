// Path helpers of the bridge: the file name of a path.
#pragma once
#include <string>

namespace vts {

// The text after the last '/', or the whole text when there is none.
std::string FileNameFromPath(const std::string& path);

}  // namespace vts
