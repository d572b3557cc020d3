#include "platform/pdx/format/name_case.h"

#include <locale.h>
#include <wctype.h>

#include <optional>

namespace pdx {

namespace {

// The Unicode character classes of glibc's built-in C.UTF-8, whatever the user's locale says.
locale_t unicodeCase() {
    static const locale_t kLocale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    return kLocale;
}

struct Decoded {
    char32_t code;
    std::size_t length;
};

// One well-formed UTF-8 sequence at the start of s, or nothing.
std::optional<Decoded> decode(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = b(0);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || length > s.size()) return std::nullopt;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80) return std::nullopt;
        code = (code << 6) | (b(i) & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
    return Decoded{code, length};
}

void encode(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t upperCharacter(char32_t c) {
    if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    const locale_t loc = unicodeCase();
    return loc ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), loc)) : c;
}

char32_t lowerCharacter(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
    const locale_t loc = unicodeCase();
    return loc ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc)) : c;
}

bool isLetter(char32_t c) {
    if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
    const locale_t loc = unicodeCase();
    return loc && iswalpha_l(static_cast<wint_t>(c), loc);
}

std::string upperName(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        if (const auto d = decode(utf8)) {
            encode(upperCharacter(d->code), out);
            utf8.remove_prefix(d->length);
        } else {
            out += utf8[0];  // a stray byte (ASCII always decodes)
            utf8.remove_prefix(1);
        }
    }
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return a == b || upperName(a) == upperName(b); }

std::optional<char32_t> singleCharacter(std::string_view utf8) {
    const auto d = utf8.empty() ? std::nullopt : decode(utf8);
    return d && d->length == utf8.size() ? std::optional<char32_t>(d->code) : std::nullopt;
}

std::string utf8Of(char32_t c) {
    std::string out;
    encode(c, out);
    return out;
}

std::u32string charactersOf(std::string_view utf8) {
    std::u32string out;
    while (!utf8.empty()) {
        const auto d = decode(utf8);
        out += d ? d->code : static_cast<unsigned char>(utf8[0]);
        utf8.remove_prefix(d ? d->length : 1);
    }
    return out;
}

std::string utf8Of(std::u32string_view characters) {
    std::string out;
    for (const char32_t c : characters) encode(c, out);
    return out;
}

}  // namespace pdx
