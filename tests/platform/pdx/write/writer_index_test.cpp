// Primary indexes over many blocks: a 2-level tree accepted by pxlib's index code and deeper
// trees whose every level leads to the right .db blocks with the right counts.
#include <gtest/gtest.h>

#include <random>

#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;
using pdx::FieldType;
using pdx::loadLE16;

struct LeafEntry {
    std::vector<std::uint8_t> key;
    int block = 0;
    int count = 0;
};

// Walks a .PX from its root, checking each upper entry against the block it points to.
class IndexWalk {
public:
    IndexWalk(const fs::path& px, std::size_t keySize) : bytes_(readBytes(px)), keySize_(keySize) {}

    int levels() const { return bytes_[0x20]; }
    std::uint32_t entries() const { return pdx::loadLE32(bytes_.data() + 0x06); }
    std::vector<LeafEntry> leaves() {
        visit(loadLE16(bytes_.data() + 0x1E), levels());
        return leaves_;
    }

private:
    static int word(const std::uint8_t* p) { return ((p[0] << 8) | p[1]) ^ 0x8000; }

    struct Subtree {
        int records = 0;
        std::vector<std::uint8_t> firstKey;
    };

    Subtree visit(int block, int level) {
        const int bs = bytes_[5] * 1024;
        const std::uint8_t* p = bytes_.data() + 0x800 + static_cast<std::size_t>(block - 1) * bs;
        const std::size_t es = keySize_ + 6;
        const int n = static_cast<std::int16_t>(loadLE16(p + 4)) / static_cast<int>(es) + 1;
        Subtree here;
        for (int i = 0; i < n; ++i) {
            const std::uint8_t* e = p + 6 + i * es;
            const std::vector<std::uint8_t> key(e, e + keySize_);
            const int child = word(e + keySize_), count = word(e + keySize_ + 2);
            EXPECT_EQ(word(e + keySize_ + 4), 0);
            if (level > 1) {
                const Subtree below = visit(child, level - 1);
                EXPECT_EQ(below.records, count) << "index block " << child;
                EXPECT_EQ(below.firstKey, key) << "index block " << child;
            } else {
                leaves_.push_back({key, child, count});
            }
            if (i == 0) here.firstKey = key;
            here.records += count;
        }
        return here;
    }

    std::vector<std::uint8_t> bytes_;
    std::size_t keySize_;
    std::vector<LeafEntry> leaves_;
};

// One leaf entry per .db block, in chain order: first key, block number, record count.
void expectLeavesMatchBlocks(const std::vector<LeafEntry>& leaves, const RawTable& t, std::size_t keySize) {
    ASSERT_EQ(leaves.size(), t.chain.size());
    std::size_t record = 0;
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        EXPECT_EQ(leaves[i].block, t.chain[i]);
        EXPECT_EQ(leaves[i].key, std::vector<std::uint8_t>(t.records[record], t.records[record] + keySize));
        record += static_cast<std::size_t>(leaves[i].count);
    }
    EXPECT_EQ(record, t.records.size());
}

std::vector<pdx::Record> shuffledRecords(int n, pdx::Record (*make)(int)) {
    std::vector<pdx::Record> records;
    for (int i = 0; i < n; ++i) records.push_back(make(i));
    std::shuffle(records.begin(), records.end(), std::mt19937(7));
    return records;
}

TEST(WriterIndex, TwoLevelsAreAcceptedByPxlibAndOurReader) {
    vts::test::TempDir tmp;
    pdx::Schema s;
    s.fields = {{"Id", FieldType::Long, 4}, {"Pad", FieldType::Alpha, 200}};
    s.keyFields = 1;
    // 10 records per 2 KiB block: 500 blocks, more than one index block of 204 entries holds.
    const auto records = shuffledRecords(5000, [](int i) -> pdx::Record {
        return {std::int64_t{3 * i + 1}, std::string("row ") + std::to_string(i)};
    });
    writeAll(tmp.path(), "BIG", s, records);

    IndexWalk walk(tmp / "BIG.PX", 4);
    EXPECT_EQ(walk.levels(), 2);
    const auto leaves = walk.leaves();
    EXPECT_EQ(walk.entries(), leaves.size() + 3);  // 3 leaf blocks under one root
    expectLeavesMatchBlocks(leaves, rawTable(tmp / "BIG.db"), 4);

    const auto text = pxlibRead(tmp / "BIG.db", tmp / "BIG.PX");
    ASSERT_TRUE(text) << "pxlib crashed";
    EXPECT_EQ(text->find("ERR"), std::string::npos) << text->substr(text->find("ERR"), 300);
    const auto lines = splitLines(*text);
    ASSERT_EQ(lines.size(), 5000u);
    for (int i = 0; i < 5000; ++i)
        EXPECT_EQ(split(lines[static_cast<std::size_t>(i)], '\t')[0], std::to_string(3 * i + 1));

    const Table t = readAll(tmp / "BIG.db");
    ASSERT_EQ(t.records.size(), 5000u);
    for (int i = 0; i < 5000; ++i)
        EXPECT_EQ(t.records[static_cast<std::size_t>(i)][0], pdx::Value(std::int64_t{3 * i + 1}));
}

TEST(WriterIndex, LongKeysBuildDeeperTrees) {
    vts::test::TempDir tmp;
    pdx::Schema s;
    for (const char* name : {"K1", "K2", "K3", "K4"}) s.fields.push_back({name, FieldType::Alpha, 250});
    s.fields.push_back({"V", FieldType::Short, 2});
    s.keyFields = 4;
    // 2 records per .db block, 4 entries of 1006 bytes per 4 KiB index block: 100 -> 25 -> 7 -> 2.
    const auto records = shuffledRecords(200, [](int i) -> pdx::Record {
        char key[8];
        std::snprintf(key, sizeof key, "%05d", i);
        return {std::string("k"), std::string(key), std::string(200, 'x'), std::string("z"), std::int64_t{i}};
    });
    writeAll(tmp.path(), "DEEP", s, records);

    IndexWalk walk(tmp / "DEEP.PX", 1000);
    EXPECT_EQ(walk.levels(), 4);
    expectLeavesMatchBlocks(walk.leaves(), rawTable(tmp / "DEEP.db"), 1000);
    const Table t = readAll(tmp / "DEEP.db");
    ASSERT_EQ(t.records.size(), 200u);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(t.records[static_cast<std::size_t>(i)][4], pdx::Value(std::int64_t{i}));
}

TEST(WriterIndex, OneBlockTablesHaveOneLevel) {
    vts::test::TempDir tmp;
    pdx::Schema s;
    s.fields = {{"Id", FieldType::Short, 2}};
    s.keyFields = 1;
    writeAll(tmp.path(), "ONE", s, {{std::int64_t{5}}, {std::int64_t{-5}}});
    IndexWalk walk(tmp / "ONE.PX", 2);
    EXPECT_EQ(walk.levels(), 1);
    const auto leaves = walk.leaves();
    ASSERT_EQ(leaves.size(), 1u);
    EXPECT_EQ(leaves[0].count, 2);
    EXPECT_EQ(leaves[0].key, (std::vector<std::uint8_t>{0x7F, 0xFB}));  // -5 sorts first
}

}  // namespace
