// The piece transform. Byte x of the plain piece lands at y = C[x] - d, masked by a value that
// depends on x and y only, so both directions use the same mask.
#include "platform/pdx/protect/cipher_piece.h"

#include <algorithm>
#include <array>

#include "platform/pdx/protect/cipher_tables.h"

namespace pdx {

namespace {

constexpr bool isPermutation(const CipherTable& t) {
    std::array<bool, 256> seen{};
    for (const std::uint8_t v : t) {
        if (seen[v]) return false;
        seen[v] = true;
    }
    return true;
}
// A typo in table C would make some pieces impossible to restore.
static_assert(isPermutation(kCipherTableC));

std::uint8_t at(const CipherTable& t, unsigned i) { return t[i & 0xFF]; }

std::uint8_t target(unsigned x, PieceTweak t) { return static_cast<std::uint8_t>(kCipherTableC[x] - t.d); }

std::uint8_t mask(unsigned x, unsigned y, PieceTweak t) {
    return at(kCipherTableA, x + t.a) ^ at(kCipherTableB, y + t.b) ^ at(kCipherTableC, y + t.c);
}

}  // namespace

void scramblePiece(CipherPiece piece, PieceTweak t) {
    std::array<std::uint8_t, kCipherPieceSize> out;
    for (unsigned x = 0; x < kCipherPieceSize; ++x) {
        const unsigned y = target(x, t);
        out[y] = piece[x] ^ mask(x, y, t);
    }
    std::copy(out.begin(), out.end(), piece.begin());
}

void unscramblePiece(CipherPiece piece, PieceTweak t) {
    std::array<std::uint8_t, kCipherPieceSize> out;
    for (unsigned x = 0; x < kCipherPieceSize; ++x) {
        const unsigned y = target(x, t);
        out[x] = piece[y] ^ mask(x, y, t);
    }
    std::copy(out.begin(), out.end(), piece.begin());
}

}  // namespace pdx
