// Conversion between a table's code page and UTF-8 through glibc iconv (its tables match the
// original engine's output; ICU's differ in places).
//
// Decoding never fails, so one odd byte cannot make a table unreadable. A byte a single-byte code
// page leaves undefined (CP1252 0x81, HP-ROMAN8 0xFF) becomes the private-use character U+F700 +
// byte, which encodes back to that very byte, so the table can still be saved unchanged. A broken
// multibyte sequence becomes U+FFFD (multibyte pages use the private-use area themselves), and
// encoding U+FFFD fails loudly instead of writing a different byte. A code page glibc does not
// know (e.g. 867) decodes pure-ASCII text and throws for anything else.
#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace pdx {

// 3.x tables store no code page; DOS-era tables are most often in code page 437.
constexpr int kDefaultDosCodePage = 437;

// iconv name for a header code page (0x6A). Code page 0 is HP-ROMAN8 when the sort order is
// one of the BLROM8 family, otherwise it means "none given" and the DOS default applies.
std::string iconvNameFor(int codePage, std::string_view sortOrderId);

class CodePage {
public:
    CodePage(int codePage, std::string_view sortOrderId = {});
    ~CodePage();
    CodePage(CodePage&&) noexcept;
    CodePage& operator=(CodePage&&) noexcept;

    int number() const;
    const std::string& iconvName() const;
    // True when bytes below 0x80 are the same characters in UTF-8 (true for every code page
    // the engines use; checked against iconv, and assumed for pages iconv does not know).
    bool asciiIsPlain();

    // Table bytes to UTF-8, replacing out's content (its capacity is reused).
    void decode(const char* data, std::size_t len, std::string& out);
    std::string decode(std::string_view bytes);
    // UTF-8 to table bytes. Throws pdx::Error naming the character when the code page lacks it,
    // and for invalid UTF-8; never substitutes.
    std::string encode(std::string_view utf8);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pdx
