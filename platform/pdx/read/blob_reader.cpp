// .MB reading: type-2 blocks hold one value, type-3 blocks up to 64 small ones in slots.
#include "platform/pdx/read/blob_reader.h"

#include <cstdio>
#include <cstring>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/protect/table_cipher.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr std::uint64_t kUnit = 4096;
constexpr int kSingleBlob = 2;
constexpr int kSubAllocated = 3;
constexpr std::uint32_t kSingleIndex = 0xFF;
constexpr std::uint32_t kSlots = 64;
constexpr std::uint64_t kSlotTableEnd = 12 + 5 * kSlots;

std::string hex32(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

}  // namespace

// Opened at once, together with the table, so both are the same generation of the family even
// when it is replaced while this reader runs; a failure is reported at the first value.
BlobReader::BlobReader(std::optional<std::filesystem::path> mbFile, std::string expectedName)
    : path_(std::move(mbFile)), expectedName_(std::move(expectedName)) {
    if (!path_) return;
    try {
        file_.emplace(*path_);
    } catch (const Error&) {}
}

void BlobReader::fail(const std::string& what) const {
    const std::string name = path_ ? path_->string() : expectedName_;
    throw Error(name + ": " + what);
}

const InputFile& BlobReader::file() {
    if (!path_) fail("the blob file is missing");
    if (!file_) file_.emplace(*path_);
    return *file_;
}

void BlobReader::read(std::uint32_t locator, std::uint32_t length, std::vector<std::uint8_t>& out) {
    const Span span = locate(locator, length);
    out.resize(length);
    copy(span, length, out.data());
}

void BlobReader::read(std::uint32_t locator, std::uint32_t length, std::string& out) {
    const Span span = locate(locator, length);
    out.resize(length);
    copy(span, length, out.data());
}

void BlobReader::copy(const Span& span, std::uint32_t length, void* dest) {
    if (span.cached) {
        std::memcpy(dest, span.cached, length);
        return;
    }
    if (readPlain(span.offset, dest, length) != length) fail("a blob value is cut short");
}

// Scrambling works on whole 256-byte pieces from the start of the file.
std::size_t BlobReader::readPlain(std::uint64_t offset, void* dest, std::size_t length) {
    if (!key_) return file().readAt(offset, dest, length);
    const std::uint64_t start = offset / 256 * 256;
    scratch_.resize(static_cast<std::size_t>((offset + length + 255) / 256 * 256 - start));
    const std::size_t got = file().readAt(start, scratch_.data(), scratch_.size()) / 256 * 256;
    decryptMbBytes({scratch_.data(), got}, key_);
    const std::size_t skip = static_cast<std::size_t>(offset - start);
    const std::size_t n = got > skip ? std::min(length, got - skip) : 0;
    std::memcpy(dest, scratch_.data() + skip, n);
    return n;
}

BlobReader::Span BlobReader::locate(std::uint32_t locator, std::uint32_t length) {
    const std::uint64_t base = locator & ~std::uint32_t{0xFF};
    const std::uint32_t index = locator & 0xFF;
    const InputFile& f = file();
    if (base == 0 || base % kUnit != 0) fail("invalid blob locator " + hex32(locator));
    if (base + kUnit > f.size()) fail("blob locator " + hex32(locator) + " points beyond the end of the file");
    std::uint8_t type = 0;
    if (readPlain(base, &type, 1) != 1) fail("blob locator " + hex32(locator) + " points beyond the end of the file");
    if (type == kSingleBlob) return locateSingle(base, index, length);
    if (type == kSubAllocated) return locateSlot(base, index, length);
    fail("blob locator " + hex32(locator) + " leads to a block of type " + std::to_string(type) +
         ", which holds no value");
}

BlobReader::Span BlobReader::locateSingle(std::uint64_t base, std::uint32_t index, std::uint32_t length) {
    std::uint8_t head[9];
    if (readPlain(base, head, sizeof head) != sizeof head) fail("a blob block is cut short");
    const std::uint64_t units = loadLE16(head + 1);
    const std::uint32_t stored = loadLE32(head + 3);
    if (index != kSingleIndex)
        fail("blob block at " + std::to_string(base) + " holds one value, the record names slot " +
             std::to_string(index));
    if (stored != length)
        fail("blob block at " + std::to_string(base) + " holds " + std::to_string(stored) + " bytes, the record says " +
             std::to_string(length));
    if (sizeof head + std::uint64_t{length} > units * kUnit || base + sizeof head + length > file().size())
        fail("blob block at " + std::to_string(base) + " is shorter than its value");
    return Span{base + sizeof head, nullptr};
}

BlobReader::Span BlobReader::locateSlot(std::uint64_t base, std::uint32_t index, std::uint32_t length) {
    if (cachedBase_ != base) {
        cachedBase_ = 0;
        if (readPlain(base, cache_.data(), cache_.size()) != cache_.size()) fail("a blob block is cut short");
        cachedBase_ = base;
    }
    const std::string where = "blob block at " + std::to_string(base);
    if (index >= kSlots) fail(where + ": slot " + std::to_string(index) + " does not exist");
    const std::uint8_t* slot = cache_.data() + 12 + 5 * index;
    const std::uint64_t start = std::uint64_t{slot[0]} * 16;
    const std::uint32_t chunks = slot[1];
    const std::uint32_t tail = slot[4];
    if (start == 0) fail(where + ": slot " + std::to_string(index) + " is empty (the value was deleted)");
    if (chunks == 0 || tail == 0 || tail > 16) fail(where + ": slot " + std::to_string(index) + " is damaged");
    const std::uint32_t stored = (chunks - 1) * 16 + tail;
    if (stored != length)
        fail(where + ": slot " + std::to_string(index) + " holds " + std::to_string(stored) +
             " bytes, the record says " + std::to_string(length));
    if (start < kSlotTableEnd || start + length > kUnit)
        fail(where + ": slot " + std::to_string(index) + " points outside the block");
    return Span{base + start, cache_.data() + start};
}

}  // namespace pdx
