#include "platform/pdx/write/table_protection.h"

#include <vector>

#include "platform/pdx/format/header_key.h"
#include "platform/pdx/protect/table_cipher.h"

namespace pdx {

namespace {

constexpr std::uint16_t kPxHeaderBytes = 0x800;
constexpr std::uint64_t kMbUnit = 4096;

void storeKeyIn(StagedFile& file, std::size_t headerSize, std::uint32_t key, bool dataFile) {
    std::vector<std::uint8_t> header(headerSize);
    file.readAt(0, header.data(), header.size());
    storeKey(header, key);
    // Every protected table the engine wrote has 00 00 here where plain ones have 1F 0F.
    if (dataFile) header[0x3E] = header[0x3F] = 0;
    file.patch(0, header.data(), header.size());
}

void scrambleBlocks(StagedFile& file, std::uint64_t headerSize, int blockSize, std::uint32_t key) {
    std::vector<std::uint8_t> block(static_cast<std::size_t>(blockSize));
    std::uint32_t number = 1;
    for (std::uint64_t at = headerSize; at + block.size() <= file.size(); at += block.size(), ++number) {
        file.readAt(at, block.data(), block.size());
        encryptBlock(block, key, number);
        file.patch(at, block.data(), block.size());
    }
}

void scrambleMb(StagedFile& file, std::uint32_t key) {
    std::vector<std::uint8_t> unit(kMbUnit);
    for (std::uint64_t at = 0; at + kMbUnit <= file.size(); at += kMbUnit) {
        file.readAt(at, unit.data(), unit.size());
        encryptMbBytes(unit, key);
        file.patch(at, unit.data(), unit.size());
    }
}

}  // namespace

void protectStagedTable(std::uint32_t key, const ProtectedLayout& layout, StagedFile& db, StagedFile* px,
                        StagedFile* mb) {
    db.flush();
    scrambleBlocks(db, layout.dbHeaderSize, layout.dbBlockSize, key);
    storeKeyIn(db, layout.dbHeaderSize, key, true);
    if (px) {
        px->flush();
        std::uint8_t blockKiB = 0;  // chosen by the index writer, kept in its header
        px->readAt(0x05, &blockKiB, 1);
        scrambleBlocks(*px, kPxHeaderBytes, blockKiB * 1024, key);
        storeKeyIn(*px, kPxHeaderBytes, key, false);
    }
    if (mb) {
        mb->flush();
        scrambleMb(*mb, key);
    }
}

}  // namespace pdx
