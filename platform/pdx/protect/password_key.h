// The 32-bit key a password-protected table keeps in its header, derived from the password, and
// the check of a password against a stored key.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pdx {

inline constexpr std::size_t kMaxPasswordBytes = 255;

// The key for `password`: its bytes exactly as the table's code page has them (case matters).
// Low 16 bits: the scrambling key; high 16 bits: a checksum of the password (never 0). An empty
// password gives 0, the "no password" value. Throws pdx::Error above kMaxPasswordBytes bytes.
std::uint32_t keyFromPassword(std::string_view password);

// True when `password` is the one behind `storedKey`. Never true for key 0, an empty or an overlong
// password.
bool passwordMatches(std::string_view password, std::uint32_t storedKey);

}  // namespace pdx
