// Reading secondary indexes: the index table's header gives the definition, checked against the
// table it belongs to; its block chain gives the entries in their stored order.
#include "platform/pdx/read/secondary_index.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "platform/pdx/read/block_chain.h"
#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/format/index_header.h"
#include "platform/pdx/format/index_order.h"
#include "platform/pdx/io/input_file.h"
#include "platform/pdx/read/reader.h"

namespace pdx {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxHeader = 0x10000;  // the header size is a u16
constexpr int kUnkeyedTail = 3;              // Tup No, Blk Num, Tup Offset
constexpr int kBlockNumberField = 1;         // Blk Num after the key fields

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool isLetter(char c, char upper) { return std::toupper(static_cast<unsigned char>(c)) == upper; }

// "X06" -> true; "XG0", "XG1F" -> true; anything else false.
bool isIndexTableExtension(const std::string& ext) {
    if (ext.size() < 3 || ext.size() > 4 || !isLetter(ext[0], 'X')) return false;
    const bool group = isLetter(ext[1], 'G');
    const std::string digits = ext.substr(group ? 2 : 1);
    if (!group && digits.size() != 2) return false;
    return std::all_of(digits.begin(), digits.end(), isHex);
}

std::string extensionOf(const fs::path& file) {
    const std::string ext = file.extension().string();
    return ext.empty() ? ext : ext.substr(1);
}

IndexTableHeader readIndexHeader(const InputFile& file) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kMaxHeader)));
    const std::size_t got = file.readAt(0, bytes.data(), bytes.size());
    return parseIndexTableHeader(bytes.data(), got);
}

// The tree file's type must be the one of its index table's kind.
void checkTreeFile(const fs::path& yFile, bool group) {
    InputFile y(yFile);
    std::uint8_t head[kFixedHeaderSize] = {};
    if (y.readAt(0, head, sizeof head) < sizeof head) throw Error(yFile.string() + ": the index file is cut short");
    const int expected = group ? 7 : 4;
    if (head[0x04] != expected)
        throw Error(yFile.string() + ": not an index tree (file type " + std::to_string(head[0x04]) + ", expected " +
                    std::to_string(expected) + ")");
}

bool sameField(const HeaderField& stored, const Field& f) { return stored.type == f.type && stored.size == f.size; }

class DefReader {
public:
    DefReader(const TableInfo& table, CodePage& codePage) : table_(table), codePage_(codePage) {}

    SecondaryIndexDef read(const fs::path& xFile, const fs::path& dbFile) {
        InputFile file(xFile);
        const IndexTableHeader h = readIndexHeader(file);
        SecondaryIndexDef d;
        d.xFile = xFile;
        d.extension = extensionOf(xFile);
        d.fileType = h.table.fileType;
        d.flags = h.flags;
        d.versionByte = h.table.versionByte;
        d.blockSizeKiB = h.table.blockSizeKiB;
        d.sortOrder = h.table.sortOrder;
        d.sortOrderId = h.table.sortOrderId;
        d.entries = h.table.numRecords;
        d.name = codePage_.decode(h.name);
        if (d.group() != isLetter(d.extension[1], 'G'))
            throw Error("file type " + std::to_string(d.fileType) + " does not belong to a ." + d.extension + " file");
        readFields(h, d);
        const auto y = findCompanion(dbFile, "Y" + d.extension.substr(1));
        if (!y) throw Error("the index has no tree file (.Y" + d.extension.substr(1) + ")");
        d.yFile = *y;
        checkTreeFile(d.yFile, d.group());
        return d;
    }

private:
    const Schema& schema() const { return table_.schema; }

    // Indexed fields first, then the table's key fields and Blk Num, or Tup No, Blk Num and Tup Offset.
    void readFields(const IndexTableHeader& h, SecondaryIndexDef& d) const {
        const auto& stored = h.table.fields;
        const int n = static_cast<int>(stored.size());
        const int k = schema().keyFields;
        d.keyedLayout = k > 0;
        const int m = d.keyedLayout ? h.table.keyFields - k : h.table.keyFields - 2;
        const int tail = d.keyedLayout ? k + kBlockNumberField : kUnkeyedTail;
        if (m < 1 || n != m + tail)
            throw Error("the index's " + std::to_string(n) + " fields (" + std::to_string(h.table.keyFields) +
                        " compared) do not fit a table with " + std::to_string(k) + " key fields");
        if (h.fieldNumbers.empty() && m != 1) throw Error("an index table before level 4 can index one field only");
        checkTail(stored, m, d.keyedLayout);
        for (int i = 0; i < m; ++i) {
            const int raw = h.fieldNumbers.empty() ? h.indexFieldNumber : h.fieldNumbers[static_cast<std::size_t>(i)];
            const int number = raw & 0x7FFF;
            if (number < 1 || number > static_cast<int>(schema().fields.size()))
                throw Error("indexed field number " + std::to_string(number) + " is not a field of the table");
            const Field& f = schema().fields[static_cast<std::size_t>(number - 1)];
            if (!sameField(stored[static_cast<std::size_t>(i)], f))
                throw Error("the index's field " + std::to_string(i + 1) + " does not match the table's field \"" +
                            f.name + "\"");
            d.fields.push_back(f);
            d.fieldNumbers.push_back(number);
            d.descending.push_back((raw & 0x8000) != 0);
        }
        if (d.fieldNumbers.front() != h.indexFieldNumber)
            throw Error("the header names field " + std::to_string(h.indexFieldNumber) + " but indexes field " +
                        std::to_string(d.fieldNumbers.front()));
        if (!d.group() && (m != 1 || std::stoi(d.extension.substr(1), nullptr, 16) != d.fieldNumbers.front()))
            throw Error("a ." + d.extension + " file must index field " + d.extension.substr(1) +
                        " (hexadecimal) alone");
    }

    void checkTail(const std::vector<HeaderField>& stored, int m, bool keyed) const {
        const auto at = [&](int i) -> const HeaderField& { return stored[static_cast<std::size_t>(i)]; };
        bool ok = true;
        if (keyed) {
            for (int i = 0; i < schema().keyFields; ++i)
                ok = ok && sameField(at(m + i), schema().fields[static_cast<std::size_t>(i)]);
            ok = ok && at(m + schema().keyFields).type == FieldType::Short;
        } else {
            ok = at(m).type == FieldType::Long && at(m + 1).type == FieldType::Short &&
                 at(m + 2).type == FieldType::Short;
        }
        if (!ok) throw Error("the index's record layout does not match the table's key");
    }

    const TableInfo& table_;
    CodePage& codePage_;
};

// Messages that already name a file of the table's folder (the tree file, say) pass unchanged.
[[noreturn]] void rethrowNaming(const fs::path& file, const Error& e) {
    const std::string what = e.what();
    if (what.rfind(file.parent_path().string() + "/", 0) == 0) throw e;
    throw Error(file.string() + ": " + what);
}

std::uint16_t indexWord(const std::uint8_t* p) { return static_cast<std::uint16_t>(((p[0] << 8) | p[1]) ^ 0x8000); }

IndexEntry decodeEntry(const std::uint8_t* r, std::size_t valueBytes, std::size_t keyBytes, bool keyed) {
    IndexEntry e;
    e.values.assign(r, r + valueBytes);
    r += valueBytes;
    if (keyed) {
        e.primaryKey.assign(r, r + keyBytes);
        e.block = indexWord(r + keyBytes);
    } else {
        e.tupleNumber = isAllZero(r, 4) ? 0 : decodeLong(r);
        e.block = indexWord(r + 4);
        e.tupleOffset = indexWord(r + 6);
    }
    return e;
}

std::vector<IndexEntry> readEntries(const SecondaryIndexDef& def) {
    InputFile file(def.xFile);
    const IndexTableHeader h = readIndexHeader(file);
    const auto rs = static_cast<std::size_t>(h.table.recordSize);
    const std::size_t valueBytes = indexedBytes(def.fields);
    const std::size_t tail = def.keyedLayout ? 2 : 8;
    if (rs < valueBytes + tail) throw Error("the index's records are shorter than its fields");
    const std::size_t keyBytes = def.keyedLayout ? rs - valueBytes - tail : 0;
    BlockSource blocks(file, h.table);
    std::vector<IndexEntry> entries;
    // The header's count is untrusted: reserve no more than the file can hold.
    entries.reserve(std::min<std::uint64_t>(h.table.numRecords, file.size() / rs));
    for (const ChainBlock& b : walkChain(file, h.table, blocks)) {
        const std::uint8_t* p = blocks.block(b.number, 6 + b.records * rs) + 6;
        for (int i = 0; i < b.records; ++i)
            entries.push_back(decodeEntry(p + i * rs, valueBytes, keyBytes, def.keyedLayout));
    }
    return entries;
}

}  // namespace

std::vector<SecondaryIndexDef> readSecondaryIndexes(const fs::path& dbFile) {
    const TableInfo table = TableReader(dbFile, {"", true}).info();
    CodePage codePage(table.schema.codePage, table.schema.sortOrderId);
    const fs::path dir = dbFile.parent_path().empty() ? fs::path(".") : dbFile.parent_path();
    DefReader reader(table, codePage);
    std::vector<SecondaryIndexDef> defs;
    for (const fs::path& file : findFamily(dir, dbFile.stem().string())) {
        if (!isIndexTableExtension(extensionOf(file))) continue;
        try {
            defs.push_back(reader.read(file, dbFile));
        } catch (const Error& e) {
            rethrowNaming(file, e);
        }
    }
    return defs;
}

std::vector<IndexEntry> readIndexEntries(const SecondaryIndexDef& def) {
    try {
        return readEntries(def);
    } catch (const Error& e) {
        rethrowNaming(def.xFile, e);
    }
}

KeptOrder keptOrderOf(const SecondaryIndexDef& def, const std::vector<IndexEntry>& entries) {
    KeptOrder kept;
    std::unordered_set<std::string> finished;  // values whose run of entries has ended
    Bytes previous;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].values.size() != indexedBytes(def.fields))
            throw Error("internal error: an entry of " + def.xFile.string() + " has values of the wrong size");
        Bytes value = comparedBytes(def.fields, def.caseInsensitive(), entries[i].values.data());
        if (i > 0 && value != previous) {
            finished.emplace(previous.begin(), previous.end());
            if (finished.count(std::string(value.begin(), value.end())))
                throw Error(def.xFile.string() +
                            ": the index stores equal values apart, in an order this program cannot reproduce");
        }
        kept.add(value);
        previous = std::move(value);
    }
    return kept;
}

}  // namespace pdx
