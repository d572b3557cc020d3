// .PX header checks, then the tree walk.
#include "platform/pdx/check/check_primary_index.h"

#include <algorithm>
#include <optional>

#include "platform/pdx/check/check_key_text.h"
#include "platform/pdx/check/index_tree.h"
#include "platform/pdx/io/input_file.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr std::size_t kMaxHeader = 0x10000;

std::string descriptorText(int type, int size) {
    return "type " + std::to_string(type) + " size " + std::to_string(size);
}

// The header's disagreements with the table that make its entries unreadable; empty if none.
std::string keyMismatch(const IndexTreeHeader& px, const TableHeader& db) {
    if (px.fileType != 1) return "the file type is " + std::to_string(px.fileType) + "; a primary index has 1";
    if (px.key && !db.key) return "the index is marked password-protected (0x25), but its table is not";
    if (px.key != db.key) return "the index is not scrambled with its table's password key (0x25)";
    if (px.keyFieldCount != db.keyFields)
        return "the index has " + std::to_string(px.keyFieldCount) + " key fields, the table " +
               std::to_string(db.keyFields);
    std::size_t keySize = 0;
    for (int i = 0; i < db.keyFields; ++i) {
        const HeaderField& f = db.fields[static_cast<std::size_t>(i)];
        const int type = px.keyDescriptors[2 * i];
        const int size = px.keyDescriptors[2 * i + 1];
        if (type != static_cast<int>(f.type) || size != f.size)
            return "key field " + std::to_string(i + 1) + " is " + descriptorText(type, size) + " in the index, " +
                   descriptorText(static_cast<int>(f.type), f.size) + " in the table";
        keySize += static_cast<std::size_t>(f.storedSize);
    }
    if (px.keySize() != keySize)
        return "the index entries are " + std::to_string(px.recordSize) + " bytes; the key takes " +
               std::to_string(keySize) + ", so they should be " + std::to_string(keySize + 6);
    return {};
}

std::optional<IndexTreeHeader> readHeader(const InputFile& px, CheckFindings& out) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(px.size(), kMaxHeader)));
    const std::size_t got = px.readAt(0, bytes.data(), bytes.size());
    try {
        return parseIndexTreeHeader(bytes.data(), got);
    } catch (const Error& e) {
        out.fault(atFile(px.path()), e.what());
        return std::nullopt;
    }
}

}  // namespace

void checkPrimaryIndex(const InputFile& px, const std::filesystem::path& dbFile, const TableHeader& db,
                       const RecordCheckResult& records, CheckFindings& out) {
    const std::filesystem::path& pxFile = px.path();
    const auto h = readHeader(px, out);
    if (!h) return;
    if (const std::string why = keyMismatch(*h, db); !why.empty()) {
        out.fault(atFile(pxFile), why + "; the entries are not checked");
        return;
    }
    if (h->sortOrder != db.sortOrder)
        out.fault(atFile(pxFile), "the sort order (0x29) is " + std::to_string(h->sortOrder) + ", the table's " +
                                      std::to_string(db.sortOrder));
    const std::vector<HeaderField> keyFields(db.fields.begin(), db.fields.begin() + db.keyFields);
    IndexTreeTarget target{dbFile, records.blocks, records.byteOrder,
                           [keyFields](const std::string& key) { return keyText(keyFields, key); }};
    checkIndexTree(px, *h, target, out);
}

}  // namespace pdx
