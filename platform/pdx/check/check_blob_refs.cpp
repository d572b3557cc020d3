// Blob locators: type-2 blocks hold one value, type-3 blocks up to 64 small ones in slots.
#include "platform/pdx/check/check_blob_refs.h"

#include <algorithm>
#include <cstdio>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr std::uint64_t kUnit = 4096;
constexpr std::size_t kTail = 10;  // locator u32, length u32, modification number u16
constexpr int kSingleBlob = 2;
constexpr int kSubAllocated = 3;
constexpr std::uint32_t kSingleIndex = 0xFF;
constexpr std::uint32_t kSlots = 64;
constexpr std::uint64_t kSlotTableEnd = 12 + 5 * kSlots;
constexpr std::size_t kSingleHead = 9;
constexpr std::size_t kPrefix = 8;  // graphic and OLE values: 01 00 00 0x, then the payload length

std::string hex32(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

}  // namespace

BlobRefCheck::BlobRefCheck(const CheckedFile& mb, CheckFindings& out)
    : name_(mb.path), file_(mb.file ? &*mb.file : nullptr), present_(mb.found), out_(out) {
    if (!file_) return;  // missing: reported at the first value that needs it
    std::uint8_t type = 0xFF;
    if (file_->size() < kUnit) {
        out_.fault(atFile(name_),
                   "the file has " + std::to_string(file_->size()) + " bytes, less than its 4096-byte header block");
    } else if (file_->readAt(0, &type, 1) == 1 && type != 0) {
        out_.fault(atFile(name_), "the first block has type " + std::to_string(type) + "; a blob file's header has 0");
    }
}

std::string BlobRefCheck::where(std::uint64_t base) const {
    return name_.filename().string() + " block at offset " + std::to_string(base);
}

void BlobRefCheck::check(const HeaderField& f, const std::uint8_t* stored, const CheckLocation& at) {
    const std::uint8_t* tail = stored + f.size - kTail;
    const Value v{loadLE32(tail), loadLE32(tail + 4)};
    if (v.length == 0 || v.length <= static_cast<std::uint32_t>(f.size) - kTail) return;  // blank or inline
    if (!present_) {
        if (missingNeeded_++ == 0)
            out_.fault(at, "the value of " + std::to_string(v.length) + " bytes is kept in " +
                               name_.filename().string() + ", which is missing");
        return;
    }
    if (!file_) return;  // could not be opened: reported once
    const std::uint64_t base = v.locator & ~std::uint32_t{0xFF};
    const std::uint32_t index = v.locator & 0xFF;
    if (base == 0) {
        out_.fault(at, "the value of " + std::to_string(v.length) + " bytes has no locator in " +
                           name_.filename().string() + " (" + hex32(v.locator) + ")");
        return;
    }
    if (base % kUnit != 0) {
        out_.fault(at, "the blob locator " + hex32(v.locator) + " is not on a 4096-byte block boundary");
        return;
    }
    if (base + kUnit > file_->size()) {
        out_.fault(at, "the blob locator " + hex32(v.locator) + " points beyond the end of " +
                           name_.filename().string() + " (" + std::to_string(file_->size()) + " bytes)");
        return;
    }
    if (!loadBlock(base)) {
        out_.fault(at, "cannot read " + where(base));
        return;
    }
    const int type = cache_[0];
    if (type == kSingleBlob) return checkSingle(f, base, index, v, at);
    if (type == kSubAllocated) return checkSlot(f, base, index, v, at);
    out_.fault(at, "the blob locator " + hex32(v.locator) + " leads to a block of type " + std::to_string(type) +
                       ", which holds no value (" + where(base) + ")");
}

bool BlobRefCheck::loadBlock(std::uint64_t base) {
    if (cachedBase_ == base) return true;
    cachedBase_ = 0;
    cachedLen_ = file_->readAt(base, cache_.data(), cache_.size());
    if (cachedLen_ < kSlotTableEnd) return false;
    cachedBase_ = base;
    return true;
}

void BlobRefCheck::checkSingle(const HeaderField& f, std::uint64_t base, std::uint32_t index, Value v,
                               const CheckLocation& at) {
    const std::uint64_t units = loadLE16(cache_.data() + 1);
    const std::uint32_t stored = loadLE32(cache_.data() + 3);
    if (index != kSingleIndex) {
        out_.fault(at, where(base) + " holds one value, but the record names its slot " + std::to_string(index));
        return;
    }
    if (stored != v.length) {
        out_.fault(at, where(base) + " holds " + std::to_string(stored) + " bytes, the record says " +
                           std::to_string(v.length));
        return;
    }
    if (kSingleHead + std::uint64_t{v.length} > units * kUnit) {
        out_.fault(at, where(base) + " is " + std::to_string(units) + " units of 4096 bytes, too small for its " +
                           std::to_string(v.length) + " bytes");
        return;
    }
    if (base + kSingleHead + v.length > file_->size()) {
        out_.fault(at, "the file ends inside the value of " + std::to_string(v.length) + " bytes in " + where(base));
        return;
    }
    checkPrefix(f, cache_.data() + kSingleHead, v, at);
}

void BlobRefCheck::checkSlot(const HeaderField& f, std::uint64_t base, std::uint32_t index, Value v,
                             const CheckLocation& at) {
    const std::string slotName = where(base) + " slot " + std::to_string(index);
    if (index >= kSlots) {
        out_.fault(at, "the record names " + slotName + ", but such blocks have 64 slots");
        return;
    }
    const std::uint8_t* slot = cache_.data() + 12 + 5 * index;
    const std::uint64_t start = std::uint64_t{slot[0]} * 16;
    const std::uint32_t chunks = slot[1];
    const std::uint32_t tail = slot[4];
    if (start == 0) {
        out_.fault(at, slotName + " is empty (its value was deleted)");
        return;
    }
    if (chunks == 0 || tail == 0 || tail > 16) {
        out_.fault(at, slotName + " is damaged (" + std::to_string(chunks) + " chunks, last one " +
                           std::to_string(tail) + " bytes)");
        return;
    }
    const std::uint32_t stored = (chunks - 1) * 16 + tail;
    if (stored != v.length) {
        out_.fault(
            at, slotName + " holds " + std::to_string(stored) + " bytes, the record says " + std::to_string(v.length));
        return;
    }
    if (start < kSlotTableEnd || start + v.length > kUnit || start + v.length > cachedLen_) {
        out_.fault(at, slotName + " points outside its block (offset " + std::to_string(start) + ", " +
                           std::to_string(v.length) + " bytes)");
        return;
    }
    checkPrefix(f, cache_.data() + start, v, at);
}

void BlobRefCheck::checkPrefix(const HeaderField& f, const std::uint8_t* data, Value v, const CheckLocation& at) {
    if (f.type != FieldType::Graphic && f.type != FieldType::Ole) return;
    const std::uint8_t kind = f.type == FieldType::Graphic ? 1 : 2;
    std::uint8_t head[kPrefix] = {};
    if (v.length >= kPrefix) {
        if (data + kPrefix <= cache_.data() + cachedLen_) std::copy(data, data + kPrefix, head);
        else file_->readAt(cachedBase_ + static_cast<std::uint64_t>(data - cache_.data()), head, kPrefix);
    }
    const bool ok = v.length >= kPrefix && head[0] == 1 && head[1] == 0 && head[2] == 0 && head[3] == kind &&
                    loadLE32(head + 4) == v.length - kPrefix;
    if (!ok)
        out_.fault(at, std::string("the ") + typeName(f.type) + " value in " + name_.filename().string() +
                           " does not begin with its 8-byte prefix (01 00 00 0" + std::to_string(kind) +
                           ", then its length)");
}

void BlobRefCheck::finish() {
    if (missingNeeded_ > 1)
        out_.fault(atFile(name_),
                   std::to_string(missingNeeded_) + " values of the table are kept in this file, which is missing");
}

}  // namespace pdx
