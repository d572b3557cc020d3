#include "platform/xlsx/cell_text.h"

#include <algorithm>
#include <cctype>

namespace vts::xlsx {

namespace {

bool isEscapeAt(std::string_view s, size_t i) {
    if (i + 7 > s.size() || s[i] != '_' || s[i + 1] != 'x' || s[i + 6] != '_') return false;
    return std::all_of(s.begin() + static_cast<long>(i) + 2, s.begin() + static_cast<long>(i) + 6,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

std::string ProtectEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (isEscapeAt(text, i)) out += "_x005F";
        out += text[i];
    }
    return out;
}

size_t DisplayWidth(std::string_view text) {
    size_t longest = 0, line = 0;
    for (const char c : text) {
        if (c == '\n') {
            longest = std::max(longest, line);
            line = 0;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && c != '\r') {
            ++line;  // a character starts at every byte that is not a UTF-8 continuation byte
        }
    }
    return std::max(longest, line);
}

}  // namespace vts::xlsx
