// Level 3, 4, 5 and 7 .db and .PX header layout; unknown bytes are written as the engine's files show them.
#include "platform/pdx/format/header_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"

namespace pdx {

namespace {

constexpr std::size_t kPxVarStart = kFixedHeaderSize;
constexpr std::uint32_t kPlainLevel4 = 0xFF00FF00;     // 0x25 of every unencrypted level-4+ data file
constexpr std::uint32_t kKeyedWorkspace = 0xFFFFFF9C;  // 0x16: non-zero in every keyed table
// Bytes of unknown meaning, written as every engine-made file has them:
constexpr std::uint8_t kPlainSign[2] = {0x1F, 0x0F};  // 0x3E: every unencrypted .DB (zeroed when protected)
constexpr std::uint8_t kByte56 = 0x20;                // 0x56: every level-4+ .DB
constexpr std::uint8_t kBytes6C[2] = {1, 1};          // 0x6C (2 in some tables in referential integrity), 0x6D
constexpr std::uint16_t kChangeCount4 = 1;            // 0x70: 0, 1 or 2 in the engine's files

std::size_t nameArea(std::uint8_t version) { return version >= kLevel7Version ? 261 : kTableNameArea; }

// Field types a level-4 table does not have (the format notes: no table below 0x0A uses them).
bool needsLevel5(FieldType t) {
    switch (t) {
        case FieldType::Long:
        case FieldType::Logical:
        case FieldType::Time:
        case FieldType::Timestamp:
        case FieldType::AutoInc:
        case FieldType::Bcd:
        case FieldType::Bytes: return true;
        default: return false;
    }
}

bool level3(std::uint8_t version) { return version < 0x05; }
std::size_t varStart(std::uint8_t version) { return level3(version) ? kFixedHeaderSize : kLevel4VariableStart; }

// Types a level-3 table has.
bool level3Type(FieldType t) {
    return t == FieldType::Alpha || t == FieldType::Date || t == FieldType::Short || t == FieldType::Currency ||
           t == FieldType::Number;
}

// Offsets of the variable items of a .db header (names start after descriptors and pointers).
struct DbLayout {
    std::size_t names = 0;
    std::size_t fieldNumbers = 0;
    std::size_t sortOrderId = 0;
    std::size_t end = 0;
};

DbLayout layoutOf(const DbHeaderFields& h) {
    const std::size_t n = h.schema->fields.size();
    DbLayout l;
    l.names = varStart(h.versionByte) + 6 * n + 4 + nameArea(h.versionByte);
    std::size_t namesLen = 0;
    for (const auto& name : h.fieldNames) namesLen += name.size() + 1;
    l.fieldNumbers = l.names + namesLen;
    l.sortOrderId = l.fieldNumbers + 2 * n;
    l.end = level3(h.versionByte) ? l.fieldNumbers : l.sortOrderId + h.schema->sortOrderId.size() + 1;
    return l;
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    storeLE16(static_cast<std::uint16_t>(v), b.data() + at);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { storeLE32(v, b.data() + at); }
void putText(std::vector<std::uint8_t>& b, std::size_t at, const std::string& s) {
    std::memcpy(b.data() + at, s.data(), s.size());
}

// Items common to .db and .PX: record size, blocks and chain, field and key counts.
struct BlockCounts {
    std::uint16_t recordSize, headerSize;
    std::uint8_t fileType, blockSizeKiB;
    std::uint32_t records;
    std::uint16_t blocks;
    std::uint8_t version;
};

void putBlockCounts(std::vector<std::uint8_t>& b, const BlockCounts& c) {
    put16(b, 0x00, c.recordSize);
    put16(b, 0x02, c.headerSize);
    b[0x04] = c.fileType;
    b[0x05] = c.blockSizeKiB;
    put32(b, 0x06, c.records);
    put16(b, 0x0A, c.blocks);
    put16(b, 0x0C, c.blocks);
    put16(b, 0x0E, c.blocks ? 1 : 0);
    put16(b, 0x10, c.blocks);
    put16(b, 0x12, 3);  // unknown small counter, non-zero in engine files
    b[0x39] = c.version;
    put16(b, 0x3A, c.blocks);
}

void putDescriptors(std::vector<std::uint8_t>& b, std::size_t at, const std::vector<Field>& fields) {
    for (const Field& f : fields) {
        b[at++] = static_cast<std::uint8_t>(f.type);
        b[at++] = static_cast<std::uint8_t>(f.type == FieldType::Bcd ? f.size : fieldStorageSize(f.type, f.size));
    }
}

// Descriptors, pointers (written as the offsets they stand for), table name, field names.
void putVariablePart(std::vector<std::uint8_t>& b, const DbHeaderFields& h, const DbLayout& l) {
    const std::size_t n = h.schema->fields.size();
    const std::size_t start = varStart(h.versionByte);
    putDescriptors(b, start, h.schema->fields);
    const std::size_t tableNameAt = start + 6 * n + 4;
    put32(b, start + 2 * n, static_cast<std::uint32_t>(tableNameAt));
    putText(b, tableNameAt, h.tableName);
    std::size_t nameAt = l.names;
    for (std::size_t i = 0; i < n; ++i) {
        put32(b, start + 2 * n + 4 + 4 * i, static_cast<std::uint32_t>(nameAt));
        putText(b, nameAt, h.fieldNames[i]);
        nameAt += h.fieldNames[i].size() + 1;
    }
}

}  // namespace

std::uint8_t writtenVersion(std::uint8_t wanted, const Schema& schema, bool plain) {
    const auto all = [&](bool (*fits)(FieldType)) {
        return std::all_of(schema.fields.begin(), schema.fields.end(), [&](const Field& f) { return fits(f.type); });
    };
    if (wanted == 0x03 || wanted == 0x04) return plain && all(level3Type) ? wanted : kLevel5Version;
    if (wanted < 0x05 || wanted > kLevel7Version) return kLevel5Version;
    if (wanted < 0x0A && !all([](FieldType t) { return !needsLevel5(t); })) return kLevel5Version;
    return wanted;
}

// Level 3.0 headers end with their last item; the others fill whole 2 KiB units.
std::size_t dbHeaderSize(const DbHeaderFields& h) {
    const std::size_t end = layoutOf(h).end;
    return h.versionByte == 0x03 ? end : (end + 0x7FF) / 0x800 * 0x800;
}

std::vector<std::uint8_t> buildDbHeader(const DbHeaderFields& h) {
    const Schema& s = *h.schema;
    const std::size_t n = s.fields.size();
    const DbLayout l = layoutOf(h);
    std::vector<std::uint8_t> b(dbHeaderSize(h), 0);

    putBlockCounts(
        b, {h.recordSize, static_cast<std::uint16_t>(b.size()), static_cast<std::uint8_t>(s.keyFields > 0 ? 0 : 2),
            static_cast<std::uint8_t>(h.blockSizeKiB), h.numRecords, h.blocks, h.versionByte});
    if (s.keyFields > 0) put32(b, 0x16, kKeyedWorkspace);
    put16(b, 0x21, static_cast<std::uint32_t>(n));
    put16(b, 0x23, static_cast<std::uint32_t>(s.keyFields));
    const std::size_t start = varStart(h.versionByte);
    b[0x29] = static_cast<std::uint8_t>(s.sortOrder);
    b[0x2D] = kDbChangeCount1;
    b[0x2E] = h.changeCount2;
    put32(b, 0x30, static_cast<std::uint32_t>(start + 2 * n));
    put32(b, 0x34, static_cast<std::uint32_t>(start));
    b[0x3E] = kPlainSign[0];
    b[0x3F] = kPlainSign[1];
    put32(b, 0x49, h.autoInc);
    put16(b, 0x51, static_cast<std::uint32_t>(l.end));
    putVariablePart(b, h, l);
    if (level3(h.versionByte)) return b;  // no level-4 area, field numbers or sort order name
    put32(b, 0x25, kPlainLevel4);
    b[0x56] = kByte56;

    // Level-4+ area.
    put16(b, kLevel4Area, 0x0100u + h.versionByte);
    put16(b, 0x5A, 0x0100u + h.versionByte);
    if (h.versionByte >= 0x0A) put32(b, 0x60, h.updateTime);  // level 4 packs its time otherwise: left 0
    put16(b, 0x64, static_cast<std::uint32_t>(n + 1));
    put16(b, 0x66, static_cast<std::uint32_t>(l.fieldNumbers - kLevel4Area));
    put16(b, 0x6A, static_cast<std::uint32_t>(s.codePage));
    b[0x6C] = kBytes6C[0];
    b[0x6D] = kBytes6C[1];
    put16(b, 0x6E, static_cast<std::uint32_t>(l.sortOrderId - kLevel4Area));
    put16(b, 0x70, kChangeCount4);
    for (std::size_t i = 0; i < n; ++i) put16(b, l.fieldNumbers + 2 * i, static_cast<std::uint32_t>(i + 1));
    putText(b, l.sortOrderId, s.sortOrderId);
    return b;
}

std::vector<std::uint8_t> buildPxHeader(const PxHeaderFields& h) {
    const std::size_t k = h.keyFields.size();
    std::vector<std::uint8_t> b(kPxHeaderSize, 0);
    putBlockCounts(b, {h.recordSize, kPxHeaderSize, h.fileType, static_cast<std::uint8_t>(h.blockSizeKiB), h.numEntries,
                       h.blocks, h.versionByte});
    put16(b, 0x1E, 1);  // root block, also in an empty index
    b[0x20] = static_cast<std::uint8_t>(h.levels);
    put16(b, 0x21, static_cast<std::uint32_t>(k));
    b[0x29] = static_cast<std::uint8_t>(h.sortOrder);
    b[0x2C] = kDbChangeCount1;
    put32(b, 0x30, static_cast<std::uint32_t>(kPxVarStart + 2 * k));
    put32(b, 0x34, kPxVarStart);
    put32(b, 0x49, 1);
    const std::size_t tableNameAt = kPxVarStart + 2 * k + 4;
    put16(b, 0x51, static_cast<std::uint32_t>(tableNameAt + nameArea(h.versionByte)));
    putDescriptors(b, kPxVarStart, h.keyFields);
    put32(b, kPxVarStart + 2 * k, static_cast<std::uint32_t>(tableNameAt));
    putText(b, tableNameAt, h.tableName);
    return b;
}

}  // namespace pdx
