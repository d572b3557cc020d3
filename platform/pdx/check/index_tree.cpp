// Index tree header and the walk that checks a tree from its root down to the indexed blocks.
#include "platform/pdx/check/index_tree.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr std::uint64_t kBlockHeader = kBlockHeaderSize;
// Two entries a block already give 16 levels for the largest possible file.
constexpr int kMaxLevels = 16;

std::string hexKey(const std::string& k) {
    static const char* digits = "0123456789ABCDEF";
    std::string s = "0x";
    for (std::size_t i = 0; i < k.size() && i < 40; ++i) {
        s += digits[static_cast<unsigned char>(k[i]) >> 4];
        s += digits[static_cast<unsigned char>(k[i]) & 0x0F];
    }
    return k.size() > 40 ? s + "..." : s;
}

// Block numbers and counts in entries are 16-bit words stored like Short values.
std::uint32_t loadIndexWord(const std::uint8_t* p) { return static_cast<std::uint32_t>((p[0] << 8) | p[1]) ^ 0x8000u; }

class TreeWalk {
public:
    TreeWalk(const InputFile& index, const IndexTreeHeader& h, const IndexTreeTarget& target, CheckFindings& out)
        : index_(index),
          h_(h),
          t_(target),
          out_(out),
          keySize_(h.keySize()),
          entrySize_(static_cast<std::uint64_t>(h.recordSize)),
          physical_(physicalBlocks()),
          visited_(physical_ + 1, false),
          positionOf_(0x10000, -1),
          covered_(target.blocks.size(), std::nullopt) {
        for (std::size_t i = 0; i < t_.blocks.size(); ++i) positionOf_[t_.blocks[i].number] = static_cast<int>(i);
    }

    void run() {
        if (h_.levels == 0) return checkEmpty();
        if (h_.levels > kMaxLevels) {
            out_.fault(atFile(index_.path()), "the header (0x20) claims " + std::to_string(h_.levels) +
                                                  " index levels; no index has more than " +
                                                  std::to_string(kMaxLevels) + ", so the tree is not checked");
            return;
        }
        walk(static_cast<std::uint32_t>(h_.root), h_.levels, atFile(index_.path()), "the header (0x1E)");
        reportUncovered();
        if (!broken_ && entries_ != h_.numEntries)
            out_.fault(atFile(index_.path()), "the header (0x06) counts " + std::to_string(h_.numEntries) +
                                                  " entries, the tree holds " + std::to_string(entries_));
    }

private:
    struct Summary {
        std::string firstKey;
        std::uint64_t records = 0;  // the sum of the block's entry counts
    };

    std::uint64_t physicalBlocks() const {
        const auto hs = static_cast<std::uint64_t>(h_.headerSize);
        if (index_.size() <= hs) return 0;
        return std::min<std::uint64_t>((index_.size() - hs + h_.blockSize() - 1) / h_.blockSize(), 0xFFFF);
    }

    std::string name(const std::filesystem::path& p) const { return p.filename().string(); }
    std::string key(const std::string& k) const { return t_.keyText ? t_.keyText(k) : hexKey(k); }

    void checkEmpty() {
        std::uint64_t records = 0;
        for (const IndexedBlock& b : t_.blocks) records += b.records;
        if (records > 0)
            out_.fault(atFile(index_.path()), "the index is empty (0 levels), but " + name(t_.file) + " holds " +
                                                  std::to_string(records) + " records");
        if (h_.numEntries != 0)
            out_.fault(atFile(index_.path()), "the header (0x06) counts " + std::to_string(h_.numEntries) +
                                                  " entries in an index of 0 levels");
    }

    // The entries of index block b that can be read, or nothing after reporting why not.
    std::optional<std::vector<std::uint8_t>> readEntries(std::uint32_t b) {
        const std::uint64_t at = static_cast<std::uint64_t>(h_.headerSize) + (b - 1) * h_.blockSize();
        std::uint8_t head[kBlockHeader];
        if (index_.readAt(at, head, sizeof head) != sizeof head) {
            out_.fault(atBlock(index_.path(), b), "the file ends inside the block header");
            return std::nullopt;
        }
        const std::uint16_t lastOff = loadLE16(head + 4);
        const std::uint64_t capacity = recordsPerBlock<std::uint64_t>(h_.blockSize(), entrySize_);
        if (lastOff == static_cast<std::uint16_t>(0x10000 - entrySize_)) {
            out_.fault(atBlock(index_.path(), b), "the index block holds no entries");
            return std::nullopt;
        }
        if (lastOff % entrySize_ != 0 || lastOff / entrySize_ + 1 > capacity) {
            out_.fault(atBlock(index_.path(), b), "the entry count in the block header is invalid (last-entry offset " +
                                                      std::to_string(static_cast<std::int16_t>(lastOff)) +
                                                      " with entries of " + std::to_string(entrySize_) + " bytes)");
            return std::nullopt;
        }
        const std::uint64_t n = lastOff / entrySize_ + 1;
        std::vector<std::uint8_t> data(static_cast<std::size_t>(n * entrySize_));
        const std::size_t got = index_.readAt(at + kBlockHeader, data.data(), data.size());
        if (got < data.size()) {
            out_.fault(atBlock(index_.path(), b),
                       "the file ends inside the block: " + std::to_string(got / entrySize_) + " of its " +
                           std::to_string(n) + " entries are present");
            data.resize(got / entrySize_ * entrySize_);
            if (data.empty()) return std::nullopt;
        }
        return data;
    }

    // Checks the subtree of index block b (at `level`, 1 = leaves) that `from` points at.
    std::optional<Summary> walk(std::uint32_t b, int level, const CheckLocation& from, const std::string& via) {
        if (b == 0 || b > physical_) {
            out_.fault(from, via + " points at index block " + std::to_string(b) + ", but the file holds " +
                                 std::to_string(physical_) + " blocks");
            broken_ = true;
            return std::nullopt;
        }
        if (visited_[b]) {
            out_.fault(from, via + " points at index block " + std::to_string(b) +
                                 ", which the tree reached before (a loop or a shared block)");
            broken_ = true;
            return std::nullopt;
        }
        visited_[b] = true;
        const auto data = readEntries(b);
        if (!data) {
            broken_ = true;
            return std::nullopt;
        }
        const std::size_t n = data->size() / entrySize_;
        entries_ += n;
        Summary s;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t* e = data->data() + i * entrySize_;
            const std::string k(reinterpret_cast<const char*>(e), keySize_);
            const std::uint32_t ptr = loadIndexWord(e + keySize_);
            const std::uint32_t count = loadIndexWord(e + keySize_ + 2);
            const CheckLocation where = atEntry(index_.path(), b, static_cast<std::uint32_t>(i + 1));
            if (i == 0) s.firstKey = k;
            s.records += count;
            if (level == 1) {
                leaf(k, ptr, count, where);
                continue;
            }
            if (i > 0) compareInBlock(data->data() + (i - 1) * entrySize_, k, where);
            const auto child = walk(ptr, level - 1, where, "the entry");
            if (!child) continue;
            if (child->firstKey != k)
                out_.fault(where, "the entry's key " + key(k) + " differs from the first key " + key(child->firstKey) +
                                      " of index block " + std::to_string(ptr) + " below it");
            const std::uint64_t expected = std::min<std::uint64_t>(child->records, 0xFFFF);
            if (count != expected)
                out_.fault(where, "the entry counts " + std::to_string(count) +
                                      " records, the entries of index block " + std::to_string(ptr) +
                                      " below it count " + std::to_string(child->records));
        }
        return s;
    }

    void compareInBlock(const std::uint8_t* prevEntry, const std::string& k, const CheckLocation& where) {
        const std::string prev(reinterpret_cast<const char*>(prevEntry), keySize_);
        if (prev == k) out_.fault(where, "the key " + key(k) + " repeats the previous entry's");
        else if (t_.byteOrder && k < prev)
            out_.fault(where, "the key " + key(k) + " sorts before the previous entry's " + key(prev));
    }

    // A level-1 entry: points at a block of the indexed file.
    void leaf(const std::string& k, std::uint32_t ptr, std::uint32_t count, const CheckLocation& where) {
        if (havePrevLeaf_) {
            if (prevLeafKey_ == k) out_.fault(where, "the key " + key(k) + " repeats the previous level-1 entry's");
            else if (t_.byteOrder && k < prevLeafKey_)
                out_.fault(where,
                           "the key " + key(k) + " sorts before the previous level-1 entry's " + key(prevLeafKey_));
        }
        havePrevLeaf_ = true;
        prevLeafKey_ = k;
        const int pos = ptr <= 0xFFFF ? positionOf_[ptr] : -1;
        const std::string target = name(t_.file) + " block " + std::to_string(ptr);
        if (pos < 0) {
            out_.fault(where, "the entry points at " + target + ", which is not in that file's block chain");
            return;
        }
        if (covered_[pos]) {
            out_.fault(where, "the entry points at " + target + ", which " + describeLocation(*covered_[pos]) +
                                  " already covers");
            return;
        }
        covered_[pos] = where;
        if (pos < lastLeafPos_ && !reportedChainOrder_) {
            out_.fault(where, "the level-1 entries do not follow the block chain of " + name(t_.file) + ": " + target +
                                  " comes earlier in the chain than the block of the previous entry");
            reportedChainOrder_ = true;
        }
        lastLeafPos_ = pos;
        const IndexedBlock& tb = t_.blocks[static_cast<std::size_t>(pos)];
        if (tb.records == 0) {
            out_.fault(where, "the entry points at " + target + ", which holds no records");
            return;
        }
        if (tb.firstKey != k)
            out_.fault(where, "the entry's key " + key(k) + " differs from the first key " + key(tb.firstKey) + " of " +
                                  target);
        if (count != tb.records)
            out_.fault(where, "the entry counts " + std::to_string(count) + " records, " + target + " holds " +
                                  std::to_string(tb.records));
    }

    void reportUncovered() {
        for (std::size_t i = 0; i < t_.blocks.size(); ++i) {
            const IndexedBlock& b = t_.blocks[i];
            if (b.records == 0 || covered_[i]) continue;
            out_.fault(atBlock(t_.file, b.number), "the index " + name(index_.path()) +
                                                       " has no entry for this block (" + std::to_string(b.records) +
                                                       " records)");
        }
    }

    const InputFile& index_;
    const IndexTreeHeader& h_;
    const IndexTreeTarget& t_;
    CheckFindings& out_;
    std::size_t keySize_;
    std::uint64_t entrySize_;
    std::uint64_t physical_;
    std::vector<bool> visited_;
    std::vector<int> positionOf_;                        // indexed block number -> chain position
    std::vector<std::optional<CheckLocation>> covered_;  // chain position -> the entry covering it
    std::uint64_t entries_ = 0;
    bool broken_ = false;
    bool havePrevLeaf_ = false;
    std::string prevLeafKey_;
    int lastLeafPos_ = -1;
    bool reportedChainOrder_ = false;
};

}  // namespace

IndexTreeHeader parseIndexTreeHeader(const std::uint8_t* b, std::size_t size) {
    if (size < kFixedHeaderSize) throw Error("the file is too short for an index header");
    IndexTreeHeader h;
    h.recordSize = loadLE16(b + 0x00);
    h.headerSize = loadLE16(b + 0x02);
    h.fileType = b[0x04];
    h.blockSizeKiB = b[0x05];
    h.numEntries = loadLE32(b + 0x06);
    h.root = loadLE16(b + 0x1E);
    h.levels = b[0x20];
    h.keyFieldCount = static_cast<std::int16_t>(loadLE16(b + 0x21));
    h.key = loadLE32(b + 0x25);
    h.sortOrder = b[0x29];
    h.versionByte = b[0x39];
    if (h.versionByte < 0x03 || h.versionByte > 0x0C)
        throw Error("not a Paradox index (unknown version byte " + std::to_string(h.versionByte) + ")");
    if (h.blockSizeKiB == 0) throw Error("the header is damaged: block size 0");
    if (h.recordSize <= 6 || static_cast<std::uint64_t>(h.recordSize) > h.blockSize() - 6)
        throw Error("the header is damaged: entry size " + std::to_string(h.recordSize));
    if (h.headerSize < static_cast<int>(kFixedHeaderSize))
        throw Error("the header is damaged: header size " + std::to_string(h.headerSize) + " is too small");
    if (static_cast<std::size_t>(h.headerSize) > size)
        throw Error("the file is cut short: it has " + std::to_string(size) + " bytes, the header claims " +
                    std::to_string(h.headerSize));
    if (h.keyFieldCount < 1 || h.keyFieldCount > 255)
        throw Error("the header is damaged: " + std::to_string(h.keyFieldCount) + " key fields");
    const std::size_t descriptors = 2 * static_cast<std::size_t>(h.keyFieldCount);
    if (kFixedHeaderSize + descriptors > static_cast<std::size_t>(h.headerSize))
        throw Error("the header is damaged: the key field descriptors run past its end");
    h.keyDescriptors.assign(b + kFixedHeaderSize, b + kFixedHeaderSize + descriptors);
    return h;
}

void checkIndexTree(const InputFile& index, const IndexTreeHeader& h, const IndexTreeTarget& target,
                    CheckFindings& out) {
    TreeWalk(index, h, target, out).run();
}

}  // namespace pdx
