// Scrambling of a password-protected table's data: record and index blocks of .DB/.PX/.Xnn/.Ynn
// files and the bytes of its .MB file. Pure byte transforms (no file access); headers stay plain.
// Only the two low bytes of the 32-bit key are used, so the key stored in a header is all a reader
// needs; the password is only asked for by the original engine.
#pragma once
#include <cstdint>
#include <span>

namespace pdx {

// Block `number` (1-based, as in the chain and the header) of a .DB, .PX, .Xnn/.XGn or .Ynn/.YGn file,
// whole: the 6-byte block header is scrambled with the records. Each 256-byte piece gets its own
// variant (piece index and block number, low bytes only). In place. Throws pdx::Error when the size
// is not a whole number of 256-byte pieces, the key is 0 (not protected) or the number is 0.
void decryptBlock(std::span<std::uint8_t> block, std::uint32_t key, std::uint32_t number);
void encryptBlock(std::span<std::uint8_t> block, std::uint32_t key, std::uint32_t number);

// Bytes of a .MB file starting at a file offset that is a multiple of 256, the MB header block
// included. Every piece uses the same variant, so any aligned run can be done on its own. In place;
// throws like decryptBlock.
void decryptMbBytes(std::span<std::uint8_t> bytes, std::uint32_t key);
void encryptMbBytes(std::span<std::uint8_t> bytes, std::uint32_t key);

}  // namespace pdx
