// Record blocks of a table that outgrows the block numbers of 2 KiB blocks: it is re-laid in
// 4 KiB blocks, and beyond those the write is refused.
#include <gtest/gtest.h>

#include "platform/pdx/write/block_writer.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/header_writer.h"
#include "platform/pdx/write/schema_writer.h"
#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;

// A block writer allowed only 4 blocks, for 500-byte records: 4 per 2 KiB block, 8 per 4 KiB.
class BlockLimits : public ::testing::Test {
protected:
    BlockLimits() {
        schema.fields = {{"A", pdx::FieldType::Alpha, 250}, {"B", pdx::FieldType::Alpha, 250}};
        header = pdx::headerFields(schema, "WIDE", codePage);
        header.recordSize = 500;
        headerSize = static_cast<std::uint16_t>(pdx::dbHeaderSize(header));
    }

    std::vector<std::uint8_t> record(int i) {
        std::vector<std::uint8_t> r(500, 0);
        const std::string text = "record " + std::to_string(i);
        std::copy(text.begin(), text.end(), r.begin());
        return r;
    }

    void addRecords(pdx::BlockWriter& w, int from, int to) {
        for (int i = from; i < to; ++i) w.add(record(i).data());
    }

    // Header in place, file installed: then our reader can check the blocks.
    void install(pdx::BlockWriter& w) {
        w.finish();
        header.numRecords = w.records();
        header.blocks = w.blocks();
        header.blockSizeKiB = w.blockSizeKiB();
        const auto bytes = pdx::buildDbHeader(header);
        w.file().patch(0, bytes.data(), bytes.size());
        w.file().sync();
        w.file().install();
    }

    vts::test::TempDir tmp;
    pdx::Schema schema;
    pdx::CodePage codePage{1252};
    pdx::DbHeaderFields header;
    std::uint16_t headerSize = 0;
};

TEST_F(BlockLimits, TooManyRecordsForSmallBlocksMoveToLargerOnes) {
    pdx::BlockWriter w(tmp / "WIDE.db", nullptr, headerSize, 500, 2, 4);
    addRecords(w, 0, 16);
    EXPECT_EQ(w.blockSizeKiB(), 2);
    addRecords(w, 16, 17);
    EXPECT_EQ(w.blockSizeKiB(), 4);
    EXPECT_EQ(w.records(), 17u);
    addRecords(w, 17, 30);
    install(w);

    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(tmp.path())) names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"WIDE.db"});  // the 2 KiB layout is gone

    const RawTable raw = rawTable(tmp / "WIDE.db");
    EXPECT_EQ(raw.blockSize, 4096);
    EXPECT_EQ(raw.chain, (std::vector<int>{1, 2, 3, 4}));
    const Table t = readAll(tmp / "WIDE.db");
    ASSERT_EQ(t.records.size(), 30u);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(t.records[static_cast<std::size_t>(i)][0], pdx::Value("record " + std::to_string(i)));
}

TEST_F(BlockLimits, BeyondTheLargestBlocksTheWriteIsRefused) {
    pdx::BlockWriter w(tmp / "WIDE.db", nullptr, headerSize, 500, 2, 4);
    addRecords(w, 0, 32);
    try {
        addRecords(w, 32, 33);
        FAIL() << "accepted";
    } catch (const pdx::Error& e) {
        EXPECT_NE(std::string(e.what()).find("more records than a Paradox table can hold"), std::string::npos)
            << e.what();
    }
}

// Index entries hold block numbers that readers such as pxlib take as signed.
TEST(KeyedBlockSize, StaysWithinSignedBlockNumbers) {
    EXPECT_EQ(pdx::keyedBlockKiB(2000, 32767), 2);  // one 2000-byte record per 2 KiB block
    EXPECT_EQ(pdx::keyedBlockKiB(2000, 32768), 4);
    EXPECT_EQ(pdx::keyedBlockKiB(3000, 10), 4);  // does not fit 2 KiB at all
}

}  // namespace
