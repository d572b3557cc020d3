// Key derivation as pxlib documents it (verified against engine-made protected tables): the low
// half comes from scrambling the password repeated over a piece, the high half from scrambling a
// table-A expansion of it and folding the result.
#include "platform/pdx/protect/password_key.h"

#include <array>
#include <string>

#include "platform/pdx/protect/cipher_piece.h"
#include "platform/pdx/protect/cipher_tables.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

using Piece = std::array<std::uint8_t, kCipherPieceSize>;

std::uint8_t byteAt(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

// The password repeated to fill the piece, scrambled with its own first bytes as the tweak.
std::uint16_t lowHalf(std::string_view password) {
    Piece p;
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = byteAt(password, i % password.size());
    scramblePiece(p, {p[0], p[1], p[2], p[3]});
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// The password followed by a chain through table A, scrambled, then even and odd bytes folded by
// XOR into the two bytes; 0 becomes 1, so a password's key is never 0 (the "no password" value).
std::uint16_t highHalf(std::string_view password) {
    Piece p{};
    const std::size_t n = password.size();
    for (std::size_t i = 0; i < n; ++i) p[i] = byteAt(password, i);
    for (std::size_t i = n; i < p.size(); ++i) p[i] = kCipherTableA[p[i - n]] ^ static_cast<std::uint8_t>(i);
    scramblePiece(p, {p[0], p[20], p[40], p[255]});
    std::uint8_t even = 0, odd = 0;
    for (std::size_t i = 0; i < p.size(); i += 2) {
        even ^= p[i];
        odd ^= p[i + 1];
    }
    const auto folded = static_cast<std::uint16_t>(even | (odd << 8));
    return folded == 0 ? 1 : folded;
}

}  // namespace

std::uint32_t keyFromPassword(std::string_view password) {
    if (password.empty()) return 0;
    if (password.size() > kMaxPasswordBytes)
        throw Error("a password has at most " + std::to_string(kMaxPasswordBytes) + " bytes, not " +
                    std::to_string(password.size()));
    return (static_cast<std::uint32_t>(highHalf(password)) << 16) | lowHalf(password);
}

bool passwordMatches(std::string_view password, std::uint32_t storedKey) {
    if (storedKey == 0 || password.empty() || password.size() > kMaxPasswordBytes) return false;
    return keyFromPassword(password) == storedKey;
}

}  // namespace pdx
