// Name tests of the folder scan: characters the system code page (UTF-8) cannot show plainly.
#pragma once
#include <cstddef>
#include <string>

namespace vts {

// True at the first code point below 32, from 127 to 159, or '?' (63); an invalid UTF-8
// sequence counts as a character the code page cannot represent. False for empty text.
bool HasUnusualCharacters(const std::string& name);

}  // namespace vts
