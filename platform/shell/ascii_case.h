// Letter case of table and type names: ASCII letters only, the way SQLite and the table files
// match names, so that a name never changes into one that no longer finds its table.
#pragma once
#include <string>

namespace vts {

inline std::string asciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

inline std::string asciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

inline bool asciiEqualsNoCase(const std::string& a, const std::string& b) { return asciiUpper(a) == asciiUpper(b); }

}  // namespace vts
