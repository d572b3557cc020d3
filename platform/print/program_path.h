// Finding a program the way a shell would, on the PATH.
#pragma once
#include <string>

namespace vts {

// The path of the first executable file called name in a folder of PATH ("/usr/bin:/bin"
// when PATH is unset), or "" when there is none. Relative PATH entries (".", "") are skipped:
// they would run whatever the current folder holds under that name.
std::string FindProgramOnPath(const std::string& name);

}  // namespace vts
