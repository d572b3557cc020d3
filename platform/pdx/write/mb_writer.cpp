// .MB layout: a header block, type-2 blocks (one value each) and type-3 blocks (64 slots
// over 16-byte chunks). Unknown header bytes are copied from the engine's files.
#include "platform/pdx/write/mb_writer.h"

#include <array>
#include <cstring>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

// Header block bytes 0x00-0x14 as in every engine-made .MB (type 0, one unit, mod count 1,
// block and sub-allocation sizes, 64 slots, 0x0800 threshold).
constexpr std::array<std::uint8_t, 0x15> kHeaderStart = {0x00, 0x01, 0x00, 0x01, 0x00, 0x82, 0x73,
                                                         0x02, 0x00, 0x29, 0x00, 0x00, 0x10, 0x00,
                                                         0x10, 0x00, 0x10, 0x40, 0x00, 0x00, 0x08};
constexpr std::size_t kSlotTable = 12;
constexpr std::uint8_t kTypeSingle = 2;
constexpr std::uint8_t kTypeSubAllocated = 3;
constexpr std::size_t kSingleHeader = 9;

}  // namespace

MbWriter::MbWriter(FileTarget target, WriteHook hook) : file_(std::move(target), std::move(hook)) {
    std::array<std::uint8_t, kBlock> header{};
    std::memcpy(header.data(), kHeaderStart.data(), kHeaderStart.size());
    header[0x29] = 0xA1;  // constant in engine files
    header[0x2A] = 0x02;
    file_.append(header.data(), header.size());
}

std::uint32_t MbWriter::put(const std::uint8_t* data, std::size_t size) {
    return size > kSmallLimit ? putLarge(data, size) : putSmall(data, size);
}

std::uint32_t MbWriter::checkedOffset(std::uint64_t offset) const {
    if (offset > 0xFFFFF000u)
        throw Error("the blob file " + file_.finalPath().filename().string() + " would grow beyond 4 GiB");
    return static_cast<std::uint32_t>(offset);
}

std::uint32_t MbWriter::putLarge(const std::uint8_t* data, std::size_t size) {
    const std::uint64_t units = (size + kSingleHeader + kBlock - 1) / kBlock;
    if (units > 0xFFFF)
        throw Error("a blob value of " + std::to_string(size) + " bytes is too large for a Paradox table");
    const std::uint32_t at = checkedOffset(file_.size());
    std::array<std::uint8_t, kSingleHeader> head{};
    head[0] = kTypeSingle;
    storeLE16(static_cast<std::uint16_t>(units), head.data() + 1);
    storeLE32(static_cast<std::uint32_t>(size), head.data() + 3);
    storeLE16(kModNumber, head.data() + 7);
    file_.append(head.data(), head.size());
    file_.append(data, size);
    file_.appendZeros(static_cast<std::size_t>(units * kBlock - size - kSingleHeader));
    return at | 0xFF;
}

std::uint32_t MbWriter::putSmall(const std::uint8_t* data, std::size_t size) {
    const int chunks = static_cast<int>((size + 15) / 16);
    if (!small_.empty() && (nextSlot_ < 0 || nextChunk_ + chunks > kChunks)) closeSmallBlock();
    if (small_.empty()) openSmallBlock();

    const int slot = nextSlot_--;
    std::uint8_t* s = small_.data() + kSlotTable + 5 * static_cast<std::size_t>(slot);
    s[0] = static_cast<std::uint8_t>(nextChunk_);
    s[1] = static_cast<std::uint8_t>(chunks);
    storeLE16(kModNumber, s + 2);
    s[4] = static_cast<std::uint8_t>(size % 16 == 0 ? 16 : size % 16);
    std::memcpy(small_.data() + 16 * static_cast<std::size_t>(nextChunk_), data, size);
    nextChunk_ += chunks;
    return static_cast<std::uint32_t>(smallAt_) | static_cast<std::uint32_t>(slot);
}

void MbWriter::openSmallBlock() {
    smallAt_ = checkedOffset(file_.appendZeros(kBlock));
    small_.assign(kBlock, 0);
    small_[0] = kTypeSubAllocated;
    small_[1] = 1;  // one 4 KiB unit
    nextSlot_ = kSlots - 1;
    nextChunk_ = kFirstChunk;
}

void MbWriter::closeSmallBlock() {
    file_.patch(smallAt_, small_.data(), small_.size());
    small_.clear();
}

void MbWriter::finish() {
    if (!small_.empty()) closeSmallBlock();
    file_.flush();
}

}  // namespace pdx
