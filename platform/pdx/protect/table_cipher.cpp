// Block and MB scrambling built from the piece transform; the variants follow pxlib's reading of
// the original engine, checked against engine-made protected tables.
#include "platform/pdx/protect/table_cipher.h"

#include <string>

#include "platform/pdx/protect/cipher_piece.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

void checkArguments(std::size_t size, std::uint32_t key) {
    if (size % kCipherPieceSize != 0)
        throw Error("password scrambling works on whole 256-byte pieces, not on " + std::to_string(size) + " bytes");
    if (key == 0) throw Error("password scrambling needs a key; 0 marks a table without password");
}

// .DB-like blocks: the piece index and the block number vary the permutation, so equal records in
// different places scramble differently.
PieceTweak blockTweak(std::uint32_t key, std::size_t piece, std::uint32_t number) {
    return {static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8), static_cast<std::uint8_t>(piece),
            static_cast<std::uint8_t>(number)};
}

// .MB files: one variant for the whole file, derived from the key alone.
PieceTweak mbTweak(std::uint32_t key) {
    const auto a = static_cast<std::uint8_t>(key);
    const auto b = static_cast<std::uint8_t>(key >> 8);
    return {a, b, static_cast<std::uint8_t>(a + 1), static_cast<std::uint8_t>(b + 1)};
}

CipherPiece pieceAt(std::span<std::uint8_t> bytes, std::size_t index) {
    return bytes.subspan(index * kCipherPieceSize).first<kCipherPieceSize>();
}

template <typename Transform>
void blockPieces(std::span<std::uint8_t> block, std::uint32_t key, std::uint32_t number, Transform transform) {
    checkArguments(block.size(), key);
    if (number == 0) throw Error("password scrambling needs a block number; blocks are numbered from 1");
    for (std::size_t i = 0; i < block.size() / kCipherPieceSize; ++i)
        transform(pieceAt(block, i), blockTweak(key, i, number));
}

template <typename Transform>
void mbPieces(std::span<std::uint8_t> bytes, std::uint32_t key, Transform transform) {
    checkArguments(bytes.size(), key);
    const PieceTweak t = mbTweak(key);
    for (std::size_t i = 0; i < bytes.size() / kCipherPieceSize; ++i) transform(pieceAt(bytes, i), t);
}

}  // namespace

void decryptBlock(std::span<std::uint8_t> block, std::uint32_t key, std::uint32_t number) {
    blockPieces(block, key, number, unscramblePiece);
}

void encryptBlock(std::span<std::uint8_t> block, std::uint32_t key, std::uint32_t number) {
    blockPieces(block, key, number, scramblePiece);
}

void decryptMbBytes(std::span<std::uint8_t> bytes, std::uint32_t key) { mbPieces(bytes, key, unscramblePiece); }

void encryptMbBytes(std::span<std::uint8_t> bytes, std::uint32_t key) { mbPieces(bytes, key, scramblePiece); }

}  // namespace pdx
