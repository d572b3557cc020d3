// One 256-byte piece of the Paradox password scrambling: the bytes are permuted by table C and
// masked by all three tables. Four tweak bytes select the variant; callers pick them per file kind.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace pdx {

inline constexpr std::size_t kCipherPieceSize = 256;

using CipherPiece = std::span<std::uint8_t, kCipherPieceSize>;

struct PieceTweak {
    std::uint8_t a = 0;  // shifts table A (position before the permutation)
    std::uint8_t b = 0;  // shifts table B (position after it)
    std::uint8_t c = 0;  // shifts table C as a mask
    std::uint8_t d = 0;  // rotates the permutation
};

// In place; unscramblePiece(scramblePiece(p, t), t) restores p for any tweak.
void scramblePiece(CipherPiece piece, PieceTweak t);
void unscramblePiece(CipherPiece piece, PieceTweak t);

}  // namespace pdx
