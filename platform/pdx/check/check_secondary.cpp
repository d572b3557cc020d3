// Pairs each .Xnn/.XGn with its tree, walks both, then compares the entries with the records.
#include "platform/pdx/check/check_secondary.h"

#include <algorithm>
#include <optional>

#include "platform/pdx/check/check_secondary_entries.h"
#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/format/header_key.h"
#include "platform/pdx/check/index_tree.h"
#include "platform/pdx/format/name_case.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr std::size_t kMaxHeader = 0x10000;

// The fixed-header values of an entry file (.Xnn/.XGn) that its chain walk needs.
struct EntryFileHeader {
    ChainLayout layout;
    int fileType = 0;
    int indexedField = 0;  // 0x15
};

std::optional<EntryFileHeader> readEntryHeader(const InputFile& x, std::uint32_t tableKey, CheckFindings& out) {
    std::uint8_t b[kFixedHeaderSize + 8] = {};
    const auto fail = [&](const std::string& why) {
        out.fault(atFile(x.path()), why + "; the index is not checked");
        return std::nullopt;
    };
    if (x.readAt(0, b, sizeof b) < kFixedHeaderSize) return fail("the file is too short for an index header");
    EntryFileHeader h;
    h.fileType = b[0x04];
    h.indexedField = b[0x15];
    ChainLayout& l = h.layout;
    l.recordSize = loadLE16(b);
    l.headerSize = loadLE16(b + 0x02);
    l.blockSize = std::uint64_t{b[0x05]} * 1024;
    l.numRecords = loadLE32(b + 0x06);
    l.usedBlocks = loadLE16(b + 0x0A);
    l.firstBlock = loadLE16(b + 0x0E);
    l.lastBlock = loadLE16(b + 0x10);
    if (h.fileType != 3 && h.fileType != 5 && h.fileType != 6 && h.fileType != 8)
        return fail("the file type is " + std::to_string(h.fileType) + "; a secondary index has 3, 5, 6 or 8");
    if (b[0x39] < 0x03 || b[0x39] > 0x0C) return fail("unknown version byte " + std::to_string(b[0x39]));
    if (const std::uint32_t key = storedKey(b); key != tableKey)
        return fail(tableKey ? "the index is not scrambled with its table's password key"
                             : "the index is marked password-protected (0x25), but its table is not");
    if (l.blockSize == 0) return fail("the header is damaged: block size 0");
    if (l.recordSize == 0 || l.recordSize > l.blockSize - 6)
        return fail("the header is damaged: entry size " + std::to_string(l.recordSize));
    if (l.headerSize < kFixedHeaderSize || l.headerSize > x.size())
        return fail("the header is damaged: header size " + std::to_string(l.headerSize));
    return h;
}

std::optional<IndexTreeHeader> readTreeHeader(const InputFile& y, CheckFindings& out) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(y.size(), kMaxHeader)));
    const std::size_t got = y.readAt(0, bytes.data(), bytes.size());
    try {
        IndexTreeHeader h = parseIndexTreeHeader(bytes.data(), got);
        if (h.fileType == 4 || h.fileType == 7) return h;
        out.fault(atFile(y.path()), "the file type is " + std::to_string(h.fileType) +
                                        "; an index tree has 4 or 7; the tree is not checked");
    } catch (const Error& e) {
        out.fault(atFile(y.path()), std::string(e.what()) + "; the tree is not checked");
    }
    return std::nullopt;
}

// The first key of every block of the entry file, as the tree's level-1 entries give them.
std::vector<IndexedBlock> entryBlocks(const InputFile& x, const ChainLayout& l, const std::vector<CheckedBlock>& chain,
                                      std::size_t keySize) {
    std::vector<IndexedBlock> blocks;
    for (const CheckedBlock& b : chain) blocks.push_back(IndexedBlock{b.number, b.records, {}});
    std::size_t pos = 0;
    forEachRecord(x, l, chain, [&](const CheckedBlock& b, std::uint32_t i, std::uint64_t, const std::uint8_t* rec) {
        while (blocks[pos].number != b.number) ++pos;
        if (i == 0) blocks[pos].firstKey.assign(reinterpret_cast<const char*>(rec), keySize);
    });
    return blocks;
}

const CheckedFile* treeOf(const CheckedFile& x, const std::vector<CheckedFile>& files) {
    const std::string wanted = "Y" + upperExtension(x.path).substr(1);
    for (const CheckedFile& f : files)
        if (equalsNoCase(f.path.stem().string(), x.path.stem().string()) && upperExtension(f.path) == wanted) return &f;
    return nullptr;
}

bool hasEntryFile(const CheckedFile& y, const std::vector<CheckedFile>& files) {
    const std::string wanted = "X" + upperExtension(y.path).substr(1);
    return std::any_of(files.begin(), files.end(),
                       [&](const CheckedFile& f) { return upperExtension(f.path) == wanted; });
}

void checkTree(const InputFile& y, const InputFile& x, const ChainLayout& xl, const std::vector<CheckedBlock>& xChain,
               std::uint32_t tableKey, CheckFindings& out) {
    const auto h = readTreeHeader(y, out);
    if (!h) return;
    if (h->key != tableKey) {
        out.fault(atFile(y.path()), std::string(tableKey ? "the tree is not scrambled with its table's password key"
                                                         : "the tree is marked password-protected (0x25), but "
                                                           "its table is not") +
                                        "; the tree is not checked");
        return;
    }
    if (h->keySize() > xl.recordSize) {
        out.fault(atFile(y.path()), "its keys of " + std::to_string(h->keySize()) + " bytes are longer than the " +
                                        std::to_string(xl.recordSize) + "-byte entries of " +
                                        x.path().filename().string() + "; the tree is not checked");
        return;
    }
    // Which collation orders these keys (case-insensitive and descending indexes do not ascend by
    // bytes) is the secondary index definition's business: here only equal keys are faults.
    IndexTreeTarget target{x.path(), entryBlocks(x, xl, xChain, h->keySize()), false, {}};
    checkIndexTree(y, *h, target, out);
}

}  // namespace

void checkSecondaryIndexes(const SecondaryCheckInput& in, CheckFindings& out) {
    std::vector<SoundEntryFile> soundFiles;
    for (const CheckedFile& f : in.files) {
        const std::string ext = upperExtension(f.path);
        if (ext[0] == 'Y') {
            if (!hasEntryFile(f, in.files))
                out.fault(atFile(f.path),
                          "this index tree has no .X" + ext.substr(1) + " file whose entries it indexes");
            continue;
        }
        if (!f.file) continue;  // reported when it would not open
        const auto h = readEntryHeader(*f.file, in.header.key, out);
        if (!h) continue;
        if (h->indexedField < 1 || h->indexedField > static_cast<int>(in.header.fields.size()))
            out.fault(atFile(f.path), "the header (0x15) names field " + std::to_string(h->indexedField) +
                                          ", but the table has " + std::to_string(in.header.fields.size()) + " fields");
        const std::size_t faultsBefore = out.faultCount();
        auto chain = checkChain(*f.file, h->layout, out);
        const bool sound = out.faultCount() == faultsBefore;
        const CheckedFile* y = treeOf(f, in.files);
        if (!y) {
            out.fault(atFile(f.path), "the index tree file .Y" + ext.substr(1) + " of this index is missing");
        } else if (y->file) {
            checkTree(*y->file, *f.file, h->layout, chain, in.header.key, out);
        }
        if (sound) soundFiles.push_back(SoundEntryFile{f.path, std::move(chain)});
    }
    checkSecondaryEntries(in, soundFiles, out);
}

}  // namespace pdx
