// Strict UTF-8 decoding for the name test: overlong forms, surrogates and truncated
// sequences are not characters, so they make a name unusual.
#include "fsutil/unusual_chars.h"

#include <optional>

namespace vts {
namespace {

constexpr char32_t kQuestionMark = 63;

// Decodes the code point at text[pos] and moves pos past it; nullopt for an invalid sequence.
std::optional<char32_t> decodeNext(const std::string& text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
        minimum = 0x10000;
    } else return std::nullopt;
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size()) return std::nullopt;
        const auto next = static_cast<unsigned char>(text[pos]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (next & 0x3F);
        ++pos;
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    return cp;
}

bool isUnusual(char32_t cp) { return cp < 32 || (cp >= 127 && cp <= 159) || cp == kQuestionMark; }

}  // namespace

bool HasUnusualCharacters(const std::string& name) {
    std::size_t pos = 0;
    while (pos < name.size()) {
        const auto cp = decodeNext(name, pos);
        if (!cp || isUnusual(*cp)) return true;
    }
    return false;
}

}  // namespace vts
