#include "platform/pdx/format/index_fold.h"

#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/name_case.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

// One byte's letter upper-cased, where the code page holds the upper-case letter in one byte;
// else the byte itself (a lead byte of a multibyte code page, "ß", "µ").
std::uint8_t foldedByte(CodePage& codePage, bool turkish, std::uint8_t byte) {
    try {
        const std::string letter = codePage.decode(std::string(1, static_cast<char>(byte)));
        const std::string upper = turkish && letter == "i" ? std::string("\u0130") : upperName(letter);
        const std::string back = codePage.encode(upper);
        return back.size() == 1 ? static_cast<std::uint8_t>(back[0]) : byte;
    } catch (const Error&) {
        return byte;
    }
}

}  // namespace

IndexFold::IndexFold(int codePage, const std::string& sortOrderId) {
    for (int b = 0; b < 256; ++b)
        table_[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
    try {
        CodePage page(codePage, sortOrderId);
        const bool turkish = sortOrderId == "turk";
        for (int b = 1; b < 256; ++b)
            table_[static_cast<std::size_t>(b)] = foldedByte(page, turkish, static_cast<std::uint8_t>(b));
    } catch (const Error&) {  // a code page this system cannot convert: its ASCII letters still fold
    }
}

void IndexFold::foldText(std::uint8_t* bytes, std::size_t size) const {
    for (std::size_t i = 0; i < size; ++i) bytes[i] = table_[bytes[i]];
}

}  // namespace pdx
