// ASCII letter case, for tests that compare names as the engine and a case-blind file system do.
#pragma once
#include <cctype>
#include <string>

namespace vts::test {

inline std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

inline std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace vts::test
