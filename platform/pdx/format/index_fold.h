// How the engine keeps text in a case-insensitive index: every letter upper-cased as the table's
// code page can hold it, the Turkish order's i becoming İ. Its own tables show nothing else: each
// indexed text of the Turkish, Portuguese and French tables at hand is its record's text so folded.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace pdx {

class IndexFold {
public:
    IndexFold(int codePage, const std::string& sortOrderId);
    // Folds one Alpha field's stored bytes in place.
    void foldText(std::uint8_t* bytes, std::size_t size) const;
    // Each byte's folded byte.
    const std::array<std::uint8_t, 256>& table() const { return table_; }

private:
    std::array<std::uint8_t, 256> table_{};
};

}  // namespace pdx
