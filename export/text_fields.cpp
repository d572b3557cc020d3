#include "export/text_fields.h"

#include <optional>
#include <set>

#include "export/xml_name_chars.h"

namespace vts {

namespace {

bool in(char32_t c, char32_t lo, char32_t hi) { return c >= lo && c <= hi; }

// Decodes the UTF-8 sequence at s[i] and advances i; nullopt (one byte consumed) when malformed.
std::optional<char32_t> nextCodePoint(std::string_view s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) return b0;
    const int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
    if (extra < 0 || b0 > 0xF4 || i + extra > s.size()) return std::nullopt;
    char32_t c = b0 & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[extra] || c > 0x10FFFF || in(c, 0xD800, 0xDFFF)) return std::nullopt;
    i += extra;
    return c;
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view text) {
    out += '"';
    for (size_t start = 0;;) {
        const size_t q = text.find('"', start);
        out.append(text.substr(start, q == std::string_view::npos ? q : q + 1 - start));
        if (q == std::string_view::npos) break;
        out += '"';
        start = q + 1;
    }
    out += '"';
}

bool AppendXmlText(std::string& out, std::string_view text) {
    const size_t before = out.size();
    size_t plain = 0;  // start of the run of characters that go out as they are
    for (size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        const char* entity = ch == '&'    ? "&amp;"
                             : ch == '<'  ? "&lt;"
                             : ch == '>'  ? "&gt;"
                             : ch == '\r' ? "&#13;"
                                          : nullptr;
        if (!entity) {
            if (ch >= 0x20 || ch == '\t' || ch == '\n') continue;
            out.resize(before);  // a control character: nothing of the text goes out
            return false;
        }
        out.append(text.substr(plain, i - plain));
        out += entity;
        plain = i + 1;
    }
    out.append(text.substr(plain));
    return true;
}

std::string XmlElementName(std::string_view caption) {
    std::string name;
    name.reserve(caption.size() + 1);
    for (size_t i = 0; i < caption.size();) {
        const size_t from = i;
        const auto c = nextCodePoint(caption, i);
        if (!c || !IsXmlNameChar(*c)) {
            name += '_';
            continue;
        }
        if (from == 0 && !IsXmlNameStartChar(*c)) name += '_';
        name.append(caption.substr(from, i - from));
    }
    return name.empty() ? "_" : name;
}

std::vector<std::string> XmlElementNames(const std::vector<std::string>& captions) {
    std::vector<std::string> names;
    for (const auto& caption : captions) names.push_back(XmlElementName(caption));
    // A number added to a name avoids every name a caption gives, so no later column can clash.
    const std::set<std::string> given(names.begin(), names.end());
    std::set<std::string> used;
    for (auto& name : names) {
        const std::string base = name;
        for (int n = 2; used.count(name) || (name != base && given.count(name)); ++n)
            name = base + "_" + std::to_string(n);
        used.insert(name);
    }
    return names;
}

}  // namespace vts
