#include "platform/xlsx/cell_text.h"

#include <algorithm>
#include <cctype>

#include "platform/shell/utf8_text.h"

namespace vts::xlsx {

namespace {

bool isEscapeAt(std::string_view s, size_t i) {
    if (i + 7 > s.size() || s[i] != '_' || s[i + 1] != 'x' || s[i + 6] != '_') return false;
    return std::all_of(s.begin() + static_cast<long>(i) + 2, s.begin() + static_cast<long>(i) + 6,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// A four-byte UTF-8 sequence is one character but two UTF-16 code units.
size_t utf16Units(char lead) { return static_cast<unsigned char>(lead) >= 0xF0 ? 2 : 1; }

}  // namespace

FittedText FitCellText(std::string_view text) {
    size_t units = 0, written = 0, kept = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!startsCharacter(text[i])) continue;
        units += utf16Units(text[i]);
        written += isEscapeAt(text, i) ? 7 : 1;  // ProtectEscapes puts "_x005F" before it
        if (units > kMaxCellChars || written > kMaxCellChars)
            return FittedText{ProtectEscapes(text.substr(0, i)), kept, i, characterCount(text)};
        ++kept;
    }
    return FittedText{ProtectEscapes(text), kept, text.size(), kept};
}

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
