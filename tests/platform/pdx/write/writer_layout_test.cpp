// File layout of written tables: header items, record blocks and index entries as the engine
// writes them, and the .MB blocks, slots and locators of every blob placement.
#include <gtest/gtest.h>

#include <set>

#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;
using pdx::FieldType;
using pdx::loadLE16;
using pdx::loadLE32;

pdx::Schema allTypesSchema() {
    pdx::Schema s;
    s.fields = {{"Id", FieldType::AutoInc, 4},   {"Name", FieldType::Alpha, 20},   {"Born", FieldType::Date, 4},
                {"Small", FieldType::Short, 2},  {"Big", FieldType::Long, 4},      {"Pay", FieldType::Currency, 8},
                {"Ratio", FieldType::Number, 8}, {"Ok", FieldType::Logical, 1},    {"Notes", FieldType::Memo, 20},
                {"Bin", FieldType::Binary, 10},  {"Rich", FieldType::FmtMemo, 10}, {"Obj", FieldType::Ole, 10},
                {"Pic", FieldType::Graphic, 30}, {"At", FieldType::Time, 4},       {"Stamp", FieldType::Timestamp, 8},
                {"Exact", FieldType::Bcd, 2},    {"Raw", FieldType::Bytes, 6}};
    s.keyFields = 1;
    return s;
}

pdx::Record allTypesRecord(std::int64_t id) {  // one value for each field of allTypesSchema()
    pdx::Record r = {id, "Name " + std::to_string(id), pdx::Date{728783}, std::int64_t{-5}, std::int64_t{70000}, 3.5};
    r.insert(r.end(), {-0.25, true, std::string("memo"), pdx::Bytes{1, 2}, pdx::Bytes{3}, std::monostate{}});
    r.insert(r.end(), {std::monostate{}, pdx::Time{36000000}, pdx::Timestamp{63716202001000.0}, pdx::Decimal{"-1.23"}});
    r.push_back(pdx::Bytes{0x31, 0, 0x32});
    return r;
}

std::string cString(const std::uint8_t* p) { return reinterpret_cast<const char*>(p); }

std::uint32_t number(const std::uint8_t* p, int width) {  // little-endian, 1, 2 or 4 bytes
    if (width == 1) return *p;
    return width == 2 ? loadLE16(p) : loadLE32(p);
}

TEST(WriterLayout, HeaderFollowsTheLevel5Recipe) {
    vts::test::TempDir tmp;
    const pdx::Schema s = allTypesSchema();
    writeAll(tmp.path(), "ALL", s, {allTypesRecord(7), allTypesRecord(42), allTypesRecord(3)});
    const RawTable t = rawTable(tmp / "ALL.db");
    const std::uint8_t* b = t.bytes.data();
    const auto n = static_cast<std::uint32_t>(s.fields.size());

    EXPECT_EQ(t.recordSize, 4 + 20 + 4 + 2 + 4 + 8 + 8 + 1 + 20 + 10 + 10 + 10 + 30 + 4 + 8 + 17 + 6);
    EXPECT_EQ(t.headerSize, 0x800);
    EXPECT_NE(loadLE32(b + 0x16), 0u);  // non-zero in every keyed table
    // Fixed items (offset, width in bytes, value): 0 at 0x04 marks a keyed table, 0x49 holds the
    // largest AutoInc value, 0x78 + 30 the BCD field's descriptor (type, then decimals).
    struct Item {
        int at, width;
        std::uint32_t value;
    };
    std::vector<Item> items = {{0x04, 1, 0},  {0x05, 1, 2},         {0x06, 4, 3},          {0x12, 2, 3},
                               {0x21, 2, n},  {0x23, 2, 1},         {0x25, 4, 0xFF00FF00}, {0x29, 1, 0x4C},
                               {0x2E, 1, 1},  {0x39, 1, 0x0B},      {0x3E, 1, 0x1F},       {0x3F, 1, 0x0F},
                               {0x49, 4, 42}, {0x56, 1, 0x20},      {0x58, 2, 0x010B},     {0x5A, 2, 0x010B},
                               {0x5C, 4, 0},  {0x64, 2, n + 1},     {0x6A, 2, 1252},       {0x6C, 1, 1},
                               {0x6D, 1, 1},  {0x78 + 30, 1, 0x17}, {0x78 + 31, 1, 2}};
    for (int at : {0x0A, 0x0C, 0x0E, 0x10, 0x3A}) items.push_back({at, 2, 1});
    for (int at : {0x14, 0x15, 0x1A, 0x1E, 0x20, 0x2A, 0x2B, 0x2C, 0x2F, 0x38, 0x3C,
                   0x3D, 0x40, 0x44, 0x48, 0x4D, 0x4F, 0x50, 0x53, 0x55, 0x68, 0x72})
        items.push_back({at, 1, 0});
    for (const Item& i : items) EXPECT_EQ(number(b + i.at, i.width), i.value) << "offset " << i.at;

    // Variable part: table name, field names, field numbers, sort order.
    const std::size_t tableName = 0x78 + 6 * n + 4;
    EXPECT_EQ(cString(b + tableName), "ALL.db");
    std::size_t at = tableName + 79;
    for (const auto& f : s.fields) {
        EXPECT_EQ(cString(b + at), f.name);
        at += f.name.size() + 1;
    }
    EXPECT_EQ(loadLE16(b + 0x66), at - 0x58);
    for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(loadLE16(b + at + 2 * i), i + 1);
    at += 2 * n;
    EXPECT_EQ(loadLE16(b + 0x6E), at - 0x58);
    EXPECT_EQ(cString(b + at), "DBWINUS0");
    EXPECT_EQ(loadLE16(b + 0x51), at + 9);

    // Records in key order; the block's unused tail is zero.
    ASSERT_EQ(t.records.size(), 3u);
    EXPECT_EQ(loadLE32(t.records[0]), 0x03000080u);  // SF 3, 7, 42
    EXPECT_EQ(loadLE32(t.records[2]), 0x2A000080u);
    const std::uint8_t* block = b + t.headerSize;
    EXPECT_EQ(loadLE16(block), 0);
    EXPECT_EQ(loadLE16(block + 2), 0);
    EXPECT_EQ(loadLE16(block + 4), 2 * t.recordSize);
    EXPECT_TRUE(pdx::isAllZero(block + 6 + 3 * t.recordSize, 2048 - 6 - 3 * t.recordSize));
}

TEST(WriterLayout, EmptyTablesHaveNoBlocks) {
    vts::test::TempDir tmp;
    writeAll(tmp.path(), "EMPTY", allTypesSchema(), {});
    const RawTable t = rawTable(tmp / "EMPTY.db");
    EXPECT_EQ(t.bytes.size(), 0x800u);
    for (int off : {0x06, 0x0A, 0x0C, 0x0E, 0x10}) EXPECT_EQ(loadLE16(t.bytes.data() + off), 0) << off;
    const auto px = readBytes(tmp / "EMPTY.PX");
    ASSERT_EQ(px.size(), 0x800u);
    EXPECT_EQ(loadLE16(px.data() + 0x1E), 1);
    EXPECT_EQ(px[0x20], 0);
    EXPECT_EQ(loadLE32(px.data() + 0x06), 0u);
    EXPECT_EQ(readBytes(tmp / "EMPTY.MB").size(), 4096u);  // written whenever a blob field exists
    EXPECT_TRUE(readAll(tmp / "EMPTY.db").records.empty());
}

TEST(WriterLayout, LongFieldListsGrowTheHeaderInWholeUnits) {
    vts::test::TempDir tmp;
    pdx::Schema s;
    for (int i = 0; i < 255; ++i)
        s.fields.push_back({"Field number " + std::to_string(1000000 + i), FieldType::Logical, 1});
    writeAll(tmp.path(), "WIDE", s, {pdx::Record(255, true)});
    EXPECT_EQ(rawTable(tmp / "WIDE.db").headerSize, 0x2000);  // 7607 bytes of header items
    EXPECT_EQ(readAll(tmp / "WIDE.db").info.schema, s);
    const auto text = pxlibRead(tmp / "WIDE.db");
    ASSERT_TRUE(text);
    EXPECT_EQ(split(splitLines(*text).at(0), '\t').size(), 255u);
}

// Tables whose engine-written blocks hold no stale bytes: our blocks are identical, index
// entries too, and the .MB differs only in bytes whose meaning is unknown.
class EngineFiles : public ::testing::TestWithParam<const char*> {};

std::vector<std::uint8_t> indexEntries(const fs::path& px) {  // in chain order
    const RawTable t = rawTable(px);
    std::vector<std::uint8_t> out;
    for (const std::uint8_t* entry : t.records) out.insert(out.end(), entry, entry + t.recordSize);
    return out;
}

// The MB with engine-specific bytes cleared: header 0x38-0x3C and bytes 3-11 of type-3 blocks.
std::vector<std::uint8_t> mbWithoutUnknowns(std::vector<std::uint8_t> mb) {
    std::fill(mb.begin() + 0x38, mb.begin() + 0x3D, 0);
    for (std::size_t at = 4096; at < mb.size();) {
        const std::size_t units = std::max<std::size_t>(1, loadLE16(mb.data() + at + 1));
        if (mb[at] == 3) std::fill(mb.begin() + static_cast<long>(at) + 3, mb.begin() + static_cast<long>(at) + 12, 0);
        at += units * 4096;
    }
    return mb;
}

std::vector<std::uint8_t> block(const RawTable& r, std::size_t i) {
    const auto start = r.bytes.begin() + r.headerSize + static_cast<long>(i) * r.blockSize;
    return {start, start + r.blockSize};
}

TEST_P(EngineFiles, AreReproduced) {
    vts::test::TempDir tmp;
    const fs::path original = fixture(GetParam());
    const Table t = readAll(copyFamily(original, tmp.path()));
    writeAll(tmp.path(), "COPY", t.info.schema, t.records, keepingOrderOf(original));

    const RawTable ours = rawTable(tmp / "COPY.db"), theirs = rawTable(original);
    ASSERT_EQ(ours.chain.size(), theirs.chain.size());
    for (std::size_t i = 0; i < ours.chain.size(); ++i)
        EXPECT_EQ(block(ours, i), block(theirs, i)) << "block " << i + 1;
    for (const auto& f : pdx::findFamily(original.parent_path(), original.stem().string())) {
        const std::string ext = lower(f.extension().string());
        if (ext == ".px") {
            EXPECT_EQ(indexEntries(tmp / "COPY.PX"), indexEntries(f));
        } else if (ext == ".mb") {
            EXPECT_EQ(mbWithoutUnknowns(readBytes(tmp / "COPY.MB")), mbWithoutUnknowns(readBytes(f)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EngineFiles,
                         ::testing::Values("fields/long.db", "fields/memo.db", "fields/fmemo.db",
                                           "fields/graphic240.db", "fields/date7.db", "fields/timestamp.db",
                                           "fields/logical.db", "db/ORDERS.DB", "db/HERCULES.DB", "db/SERVER.DB",
                                           "db/GENERAL.DB", "joins/A.db"),
                         [](const auto& info) { return vts::test::fixtureName(fixture(info.param)); });

// ---- .MB placement -----------------------------------------------------------------------------

pdx::Bytes pattern(std::size_t n, std::uint8_t seed) {
    pdx::Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

pdx::Bytes picture(std::size_t payload) {  // a Graphic value as stored: 8-byte header, then data
    pdx::Bytes b = {1, 0, 0, 1, 0, 0, 0, 0};
    pdx::storeLE32(static_cast<std::uint32_t>(payload), b.data() + 4);
    const pdx::Bytes data = pattern(payload, 9);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

class MbLayout : public ::testing::Test {
protected:
    void SetUp() override {
        schema.fields = {{"N", FieldType::Long, 4}, {"Data", FieldType::Binary, 20}, {"Pic", FieldType::Graphic, 26}};
        // Sizes: inline in the 10-byte leader, sub-allocated (incl. 2048 exactly and enough
        // values to use up slots and chunks), own block (2049 and larger).
        std::vector<std::size_t> sizes = {10, 11, 555, 2048, 2049, 9000, 1, 2000, 2000};
        for (int i = 0; i < 70; ++i) sizes.push_back(16 + static_cast<std::size_t>(i % 3));
        for (std::size_t i = 0; i < sizes.size(); ++i)
            records.push_back({static_cast<std::int64_t>(i + 1), pattern(sizes[i], static_cast<std::uint8_t>(i)),
                               i % 10 == 4 ? pdx::Value(picture(3000)) : pdx::Value(std::monostate{})});
        writeAll(tmp.path(), "BLOBS", schema, records);
        mb = readBytes(tmp / "BLOBS.MB");
        raw = rawTable(tmp / "BLOBS.db");
    }

    // Checks the descriptor at d (leader size `leader`, showing the value from `leaderSkip`).
    void checkValue(const std::uint8_t* d, std::size_t leader, const pdx::Bytes& v, std::size_t leaderSkip) {
        const std::uint8_t* tail = d + leader;
        const std::uint32_t locator = loadLE32(tail), length = loadLE32(tail + 4);
        ASSERT_EQ(length, v.size());
        if (v.size() <= leader) {
            EXPECT_EQ(locator, 0u);
            EXPECT_EQ(loadLE16(tail + 8), 0);
            EXPECT_TRUE(std::equal(v.begin(), v.end(), d));
            return;
        }
        EXPECT_EQ(loadLE16(tail + 8), 1);
        const auto shown = v.begin() + static_cast<long>(leaderSkip);
        EXPECT_TRUE(std::equal(shown, shown + static_cast<long>(std::min(leader, v.size() - leaderSkip)), d));
        const std::size_t base = locator & ~0xFFu, index = locator & 0xFFu;
        ASSERT_EQ(base % 4096, 0u);
        ASSERT_LT(base, mb.size());
        const std::uint8_t* blk = mb.data() + base;
        if (v.size() > 2048) {
            EXPECT_EQ(index, 0xFFu);
            EXPECT_EQ(blk[0], 2);
            EXPECT_EQ(loadLE16(blk + 1), (v.size() + 9 + 4095) / 4096);
            EXPECT_EQ(loadLE32(blk + 3), v.size());
            EXPECT_EQ(loadLE16(blk + 7), 1);
            EXPECT_TRUE(std::equal(v.begin(), v.end(), blk + 9));
            return;
        }
        ASSERT_LT(index, 64u);
        EXPECT_EQ(blk[0], 3);
        EXPECT_EQ(loadLE16(blk + 1), 1);
        const std::uint8_t* slot = blk + 12 + 5 * index;
        EXPECT_GE(slot[0], 21);
        EXPECT_EQ(slot[1], (v.size() + 15) / 16);
        EXPECT_EQ(loadLE16(slot + 2), 1);
        EXPECT_EQ(slot[4], v.size() % 16 == 0 ? 16 : v.size() % 16);
        EXPECT_LE(slot[0] + slot[1], 256);
        EXPECT_TRUE(std::equal(v.begin(), v.end(), blk + 16 * slot[0]));
    }

    vts::test::TempDir tmp;
    pdx::Schema schema;
    std::vector<pdx::Record> records;
    std::vector<std::uint8_t> mb;
    RawTable raw;
};

TEST_F(MbLayout, HeaderBlockIsTheEngines) {
    ASSERT_GE(mb.size(), 4096u);
    EXPECT_EQ(mb.size() % 4096, 0u);
    const std::vector<std::uint8_t> start = {0x00, 0x01, 0x00, 0x01, 0x00, 0x82, 0x73, 0x02, 0x00, 0x29, 0x00,
                                             0x00, 0x10, 0x00, 0x10, 0x00, 0x10, 0x40, 0x00, 0x00, 0x08};
    EXPECT_TRUE(std::equal(start.begin(), start.end(), mb.begin()));
    EXPECT_EQ(mb[0x29], 0xA1);
    EXPECT_EQ(mb[0x2A], 0x02);
    EXPECT_TRUE(pdx::isAllZero(mb.data() + 0x2B, 4096 - 0x2B));
    EXPECT_TRUE(pdx::isAllZero(mb.data() + 0x15, 0x29 - 0x15));
}

TEST_F(MbLayout, EveryValueSitsWhereItsLocatorSays) {
    ASSERT_EQ(raw.records.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i + 1));
        checkValue(raw.records[i] + 4, 10, std::get<pdx::Bytes>(records[i][1]), 0);
        if (const auto* pic = std::get_if<pdx::Bytes>(&records[i][2]))
            checkValue(raw.records[i] + 24, 16, *pic, 8);  // the Graphic leader skips the header
        else EXPECT_TRUE(pdx::isAllZero(raw.records[i] + 24, 26));
    }
}

TEST_F(MbLayout, SlotsFillDownwardAndBlocksTurnOverWhenFull) {
    std::vector<std::uint32_t> smallLocators;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto size = std::get<pdx::Bytes>(records[i][1]).size();
        if (size > 10 && size <= 2048) smallLocators.push_back(loadLE32(raw.records[i] + 4 + 10));
    }
    ASSERT_GE(smallLocators.size(), 70u);
    EXPECT_EQ(smallLocators[0] & 0xFF, 63u);  // first value of a block: slot 63, chunk 21
    EXPECT_EQ(mb[(smallLocators[0] & ~0xFFu) + 12 + 5 * 63], 21);
    std::set<std::uint32_t> blocks;
    for (std::uint32_t loc : smallLocators) blocks.insert(loc & ~0xFFu);
    EXPECT_GE(blocks.size(), 3u);  // 2048 + 2000 + 2000 bytes and 73 values need several blocks
    for (std::size_t i = 1; i < smallLocators.size(); ++i) {
        if ((smallLocators[i] & ~0xFFu) == (smallLocators[i - 1] & ~0xFFu)) {
            EXPECT_EQ(smallLocators[i] & 0xFF, (smallLocators[i - 1] & 0xFF) - 1);
        }
    }
}

TEST_F(MbLayout, OurReaderGetsTheValuesBack) {
    const Table t = readAll(tmp / "BLOBS.db");
    ASSERT_EQ(t.records.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) EXPECT_EQ(t.records[i], records[i]) << "record " << i + 1;
}

// A table keeps the level and block size of the one it replaces where its fields fit that level:
// level 7 with its 261-byte name area, level 4 only without the types level 5 brought, level 3
// only with the types it had.
TEST(WriterLayout, KeepsTheLevelAndBlockSizeItsFieldsAllow) {
    struct Case {
        std::uint8_t wanted;
        int blockKiB;
        pdx::FieldType second;
        int size;
        std::uint8_t written;
        int writtenKiB;
    };
    const Case cases[] = {
        {0x0C, 16, FieldType::Long, 4, 0x0C, 16}, {0x0C, 3, FieldType::Long, 4, 0x0C, 2},  // level 7: no 3 KiB blocks
        {0x09, 1, FieldType::Short, 2, 0x09, 1},  {0x09, 1, FieldType::Logical, 1, 0x0B, 1},
        {0x04, 2, FieldType::Short, 2, 0x04, 2},  {0x03, 1, FieldType::Short, 2, 0x03, 1},
        {0x04, 2, FieldType::Long, 4, 0x0B, 2},   {0, 0, FieldType::Short, 2, 0x0B, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.wanted));
        vts::test::TempDir tmp;
        const bool logical = c.second == FieldType::Logical;
        pdx::Schema s;
        s.fields = {{"Name", FieldType::Alpha, 20}, {"Value", c.second, c.size}};
        s.keyFields = 1;
        pdx::WriterOptions opt;
        opt.versionByte = c.wanted;
        opt.blockSizeKiB = c.blockKiB;
        std::vector<pdx::Record> records;
        for (int i = 0; i < 300; ++i)
            records.push_back({"name " + std::to_string(1000 + i), logical ? pdx::Value(i % 2 == 1) : std::int64_t(i)});
        writeAll(tmp.path(), "LEVEL", s, records, opt);
        const pdx::TableInfo info = pdx::TableReader(tmp / "LEVEL.db").info();
        EXPECT_EQ(info.versionByte, c.written);
        EXPECT_EQ(info.blockSizeKiB, c.writtenKiB);
        EXPECT_EQ(readAll(tmp / "LEVEL.db").records, records);
        const auto px = pxlibRead(tmp / "LEVEL.db", tmp / "LEVEL.PX", false);  // level 3 names no code page
        ASSERT_TRUE(px.has_value());
        EXPECT_EQ(px->find("ERR"), std::string::npos) << *px;
    }
}

}  // namespace
