// Path helpers of the bridge: the file name of a path and the normalised write-back folder.
#pragma once
#include <string>

namespace vts {

// The text after the last '/', or the whole text when there is none.
std::string FileNameFromPath(const std::string& path);

// Collapses doubled '/' in one left-to-right pass; a leading run of '/' becomes exactly "//"
// (Linux resolves "//data/" to "/data/", so the folder stays the same).
std::string CollapseBackslashes(const std::string& path);

}  // namespace vts
