// Header parsing: fixed part, password detection, field descriptors and the variable part.
#include "platform/pdx/format/header.h"

#include <cstdio>
#include <cstring>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/header_key.h"

namespace pdx {

namespace {

constexpr std::uint32_t kLevel4Marker = 0xFF00FF00;  // 0x25 of level-4+ tables: key moved to 0x5C

std::string hexByte(int b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b & 0xFF);
    return buf;
}

bool isKnownType(int code) {
    switch (code) {
        case 0x01:
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x05:
        case 0x06:
        case 0x09:
        case 0x0C:
        case 0x0D:
        case 0x0E:
        case 0x0F:
        case 0x10:
        case 0x14:
        case 0x15:
        case 0x16:
        case 0x17:
        case 0x18: return true;
        default: return false;
    }
}

// The descriptor size byte must agree with the type: fixed types have one size only.
bool isValidSize(FieldType type, int size) {
    switch (type) {
        case FieldType::Alpha:
        case FieldType::Bytes: return size >= 1 && size <= 255;
        case FieldType::Bcd: return size <= kBcdDigits;
        default:
            if (isBlobType(type)) return size >= 10;
            return size == fieldStorageSize(type, size);
    }
}

// Reads the items of the variable part one after the other, never past the header.
class Items {
public:
    Items(const std::uint8_t* p, std::size_t end, std::size_t pos) : p_(p), end_(end), pos_(pos) {}
    const std::uint8_t* take(std::size_t n, const char* what) {
        if (n > end_ - pos_) throw Error(std::string("the header is damaged: the ") + what + " run past its end");
        const std::uint8_t* at = p_ + pos_;
        pos_ += n;
        return at;
    }
    std::string takeString(const char* what) {
        const void* nul = std::memchr(p_ + pos_, 0, end_ - pos_);
        if (!nul) throw Error(std::string("the header is damaged: the ") + what + " run past its end");
        const auto* s = reinterpret_cast<const char*>(p_ + pos_);
        const std::size_t len = static_cast<const std::uint8_t*>(nul) - (p_ + pos_);
        pos_ += len + 1;
        return std::string(s, len);
    }

private:
    const std::uint8_t* p_;
    std::size_t end_;
    std::size_t pos_;
};

bool isEncrypted(const std::uint8_t* b, bool level4) {
    const std::uint32_t enc1 = loadLE32(b + 0x25);
    if (!level4) return enc1 != 0;
    if (enc1 == kLevel4Marker) return loadLE32(b + 0x5C) != 0;
    return enc1 != 0;
}

void readFixedPart(const std::uint8_t* b, TableHeader& h) {
    h.recordSize = loadLE16(b + 0x00);
    h.headerSize = loadLE16(b + 0x02);
    h.fileType = b[0x04];
    h.blockSizeKiB = b[0x05];
    h.numRecords = loadLE32(b + 0x06);
    h.usedBlocks = loadLE16(b + 0x0A);
    h.fileBlocks = loadLE16(b + 0x0C);
    h.firstBlock = loadLE16(b + 0x0E);
    h.lastBlock = loadLE16(b + 0x10);
    h.needsRebuild = b[0x14] != 0 || b[0x2A] != 0;
    h.sortOrder = b[0x29];
    h.changeCount2 = b[0x2E];
    h.versionByte = b[0x39];
    h.autoIncCounter = loadLE32(b + 0x49);
}

void checkFixedPart(const TableHeader& h, std::size_t size, std::size_t variableStart) {
    if (h.headerSize < static_cast<int>(variableStart))
        throw Error("the header is damaged: header size " + std::to_string(h.headerSize) + " is too small");
    if (static_cast<std::size_t>(h.headerSize) > size)
        throw Error("the file is cut short: it has " + std::to_string(size) + " bytes, the header claims " +
                    std::to_string(h.headerSize));
    if (h.blockSizeKiB == 0) throw Error("the header is damaged: block size 0");
    if (h.recordSize == 0) throw Error("the header is damaged: record size 0");
    if (h.recordSize > h.blockSize() - 6)
        throw Error("the header is damaged: records of " + std::to_string(h.recordSize) +
                    " bytes do not fit blocks of " + std::to_string(h.blockSize()) + " bytes");
}

void readDescriptors(Items& items, int n, TableHeader& h) {
    const std::uint8_t* d = items.take(2 * static_cast<std::size_t>(n), "field descriptors");
    int offset = 0;
    for (int i = 0; i < n; ++i) {
        const int code = d[2 * i];
        const int size = d[2 * i + 1];
        const std::string which = "field " + std::to_string(i + 1);
        if (!isKnownType(code)) throw Error("the header is damaged: " + which + " has unknown type " + hexByte(code));
        const auto type = static_cast<FieldType>(code);
        if (!isValidSize(type, size))
            throw Error("the header is damaged: " + which + " (" + typeName(type) + ") has invalid size " +
                        std::to_string(size));
        HeaderField f;
        f.type = type;
        f.size = size;
        f.storedSize = fieldStorageSize(type, size);
        f.offset = offset;
        offset += f.storedSize;
        h.fields.push_back(std::move(f));
    }
    if (offset != h.recordSize)
        throw Error("the header is damaged: the fields take " + std::to_string(offset) + " bytes, the record size is " +
                    std::to_string(h.recordSize));
}

bool isPrintableAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

}  // namespace

int fieldStorageSize(FieldType type, int size) {
    switch (type) {
        case FieldType::Date:
        case FieldType::Long:
        case FieldType::Time:
        case FieldType::AutoInc: return 4;
        case FieldType::Short: return 2;
        case FieldType::Currency:
        case FieldType::Number:
        case FieldType::Timestamp: return 8;
        case FieldType::Logical: return 1;
        case FieldType::Bcd: return static_cast<int>(kBcdSize);
        default: return size;
    }
}

int effectiveCodePage(const TableHeader& h) { return h.hasCodePage ? h.codePage : kDefaultDosCodePage; }

TableHeader parseTableHeader(const std::uint8_t* b, std::size_t size, bool protectedOk) {
    if (size < kFixedHeaderSize) throw Error("the file is too short for a Paradox table header");
    TableHeader h;
    readFixedPart(b, h);
    if (h.versionByte < 0x03 || h.versionByte > 0x0C)
        throw Error("not a Paradox table (unknown version byte " + hexByte(h.versionByte) + ")");
    if (h.fileType != 0 && h.fileType != 2)
        throw Error("not a Paradox table (file type " + std::to_string(h.fileType) +
                    " is an index or other companion file)");
    const bool level4 = h.versionByte >= 0x05;
    const std::size_t variableStart = level4 ? kLevel4VariableStart : kFixedHeaderSize;
    if (size < variableStart) throw Error("the file is too short for a Paradox table header");
    if (isEncrypted(b, level4)) {
        if (!protectedOk) throw Error(kPasswordMessage);
        h.key = storedKey({b, size});
    }
    checkFixedPart(h, size, variableStart);

    const int n = static_cast<std::int16_t>(loadLE16(b + 0x21));
    const int k = static_cast<std::int16_t>(loadLE16(b + 0x23));
    if (n < 1 || n > 255) throw Error("the header is damaged: " + std::to_string(n) + " fields");
    if (k < 0 || k > n)
        throw Error("the header is damaged: " + std::to_string(k) + " key fields of " + std::to_string(n));
    h.keyFields = h.fileType == 0 ? k : 0;

    Items items(b, static_cast<std::size_t>(h.headerSize), variableStart);
    readDescriptors(items, n, h);
    items.take(4 + 4 * static_cast<std::size_t>(n), "field name pointers");
    items.take(h.versionByte >= 0x0C ? 261 : 79, "table name");
    for (auto& f : h.fields) f.rawName = items.takeString("field names");
    if (level4) {
        items.take(2 * static_cast<std::size_t>(n), "field numbers");
        h.sortOrderId = items.takeString("sort order name");
        if (!isPrintableAscii(h.sortOrderId)) h.sortOrderId.clear();
        h.hasCodePage = true;
        h.codePage = loadLE16(b + 0x6A);
    }
    return h;
}

}  // namespace pdx
