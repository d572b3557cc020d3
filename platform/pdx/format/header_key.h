// Where a Paradox file header keeps the password key: 0x25 in 3.x tables and in every .PX/.Ynn,
// 0x5C in level-4+ data files (.DB and .Xnn/.XGn), whose 0x25 then holds the marker FF00FF00.
#pragma once
#include <cstdint>
#include <span>

namespace pdx {

// The key of the file whose header starts `header` (at least 0x58 bytes; 0x60 for a level-4+ data
// file); 0 when the file is not protected. A value at 0x25 that is neither 0 nor the marker counts
// as the key whatever the level. Throws pdx::Error when the bytes are too few.
std::uint32_t storedKey(std::span<const std::uint8_t> header);

// Writes `key` (0 = no password) where storedKey finds it, with the marker at 0x25 for level-4+
// data files. Leaves every other byte alone. Throws pdx::Error when the bytes are too few.
void storeKey(std::span<std::uint8_t> header, std::uint32_t key);

}  // namespace pdx
