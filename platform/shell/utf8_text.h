// UTF-8 text counted by characters (code points), not bytes: field lengths, path limits, page
// columns and spreadsheet cells are all counted so. A stray byte counts as one character.
#pragma once
#include <algorithm>
#include <cstddef>
#include <string_view>

namespace vts {

// Whether the byte begins a character (is not a continuation byte).
inline bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

inline std::size_t characterCount(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), startsCharacter));
}

}  // namespace vts
