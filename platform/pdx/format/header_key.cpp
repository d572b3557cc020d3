// Key location by file type and version byte, as the header layout has it.
#include "platform/pdx/format/header_key.h"

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr std::size_t kKeyAt = 0x25;
constexpr std::size_t kLevel4KeyAt = 0x5C;
constexpr std::size_t kLevel4KeyEnd = kLevel4KeyAt + 4;
constexpr std::uint32_t kLevel4Marker = 0xFF00FF00;

// Data files (tables and secondary .Xnn/.XGn) of level 4 and later have the level-4+ area; .PX and
// .Ynn/.YGn (types 1, 4, 7) never do.
bool keyInLevel4Area(std::span<const std::uint8_t> h) {
    const std::uint8_t type = h[0x04];
    const bool dataFile = type != 1 && type != 4 && type != 7;
    return dataFile && h[0x39] >= 0x05;
}

void requireBytes(std::size_t have, std::size_t need) {
    if (have < need) throw Error("the file is too short for a Paradox header (password key)");
}

}  // namespace

std::uint32_t storedKey(std::span<const std::uint8_t> header) {
    requireBytes(header.size(), kFixedHeaderSize);
    const std::uint32_t first = loadLE32(header.data() + kKeyAt);
    if (first != kLevel4Marker || !keyInLevel4Area(header)) return first;
    requireBytes(header.size(), kLevel4KeyEnd);
    return loadLE32(header.data() + kLevel4KeyAt);
}

void storeKey(std::span<std::uint8_t> header, std::uint32_t key) {
    requireBytes(header.size(), kFixedHeaderSize);
    if (!keyInLevel4Area(header)) {
        storeLE32(key, header.data() + kKeyAt);
        return;
    }
    requireBytes(header.size(), kLevel4KeyEnd);
    storeLE32(kLevel4Marker, header.data() + kKeyAt);
    storeLE32(key, header.data() + kLevel4KeyAt);
}

}  // namespace pdx
