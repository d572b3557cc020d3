// Blob fields: values inline in the record, in sub-allocated slots and in their own blocks.
#include <gtest/gtest.h>

#include "tests/platform/pdx/pdx_test_support.h"
#include "tests/support/temp_dir.h"

using namespace pdxtest;
using pdx::FieldType;

namespace {

const std::string& text(const pdx::Value& v) { return as<std::string>(v); }
const pdx::Bytes& data(const pdx::Value& v) { return as<pdx::Bytes>(v); }
pdx::Bytes head(const pdx::Value& v, std::size_t n) { return pdx::Bytes(data(v).begin(), data(v).begin() + n); }

}  // namespace

TEST(ReaderBlobs, MemoFromSlotAndFromLeader) {
    const auto t = readAll(fixture("fields/memo.db"));
    EXPECT_EQ(t.info.schema.fields[1], (pdx::Field{"MEMO", FieldType::Memo, 250}));
    ASSERT_EQ(t.records.size(), 2u);
    EXPECT_EQ(text(t.records[0][1]).size(), 555u);
    EXPECT_EQ(text(t.records[0][1]).substr(0, 11), "01234567890");
    EXPECT_EQ(text(t.records[1][1]), "01234567890\n");
}

TEST(ReaderBlobs, FormattedMemoIsKeptAsBytes) {
    const auto t = readAll(fixture("fields/fmemo.db"));
    EXPECT_EQ(data(t.records[0][1]).size(), 169u);
    EXPECT_EQ(data(t.records[1][1]).size(), 726u);
}

TEST(ReaderBlobs, GraphicAndOleKeepTheirStoredPrefix) {
    const auto g = readAll(fixture("fields/graphic.db"));
    ASSERT_EQ(g.records.size(), 3u);
    EXPECT_EQ(data(g.records[1][1]).size(), 9626u);
    EXPECT_EQ(head(g.records[1][1], 10), (pdx::Bytes{0x01, 0, 0, 0x01, 0x92, 0x25, 0, 0, 'B', 'M'}));
    EXPECT_EQ(data(g.records[2][1]).size(), 2074686u);  // type-2 block of many units

    const auto g240 = readAll(fixture("fields/graphic240.db"));
    EXPECT_EQ(head(g240.records[0][1], 4), (pdx::Bytes{0x01, 0, 0, 0x01}));
    EXPECT_EQ(data(g240.records[0][1]).size(), data(g.records[0][1]).size());
    EXPECT_EQ(data(g240.records[0][1]), data(g.records[0][1]));  // the same picture, with or without a leader

    const auto ole = readAll(fixture("fields/ole.db"));
    EXPECT_EQ(head(ole.records[0][1], 4), (pdx::Bytes{0x01, 0, 0, 0x02}));
}

TEST(ReaderBlobs, CustomerCommentsMatchTheirKnownLengths) {
    const auto t = readAll(fixture("db/CUSTOMER.DB"));
    ASSERT_EQ(t.records.size(), 20u);
    EXPECT_EQ(text(t.records[0][8]), "Small comment (less 100 symbols)");
    EXPECT_EQ(text(t.records[1][8]).size(), 518u);
    EXPECT_EQ(text(t.records[1][8]).rfind("\tThe length of the", 0), 0u);
    EXPECT_TRUE(text(t.records[1][8]).ends_with("later in this document."));
    EXPECT_EQ(text(t.records[2][8]).size(), 318u);
    EXPECT_EQ(text(t.records[3][8]).size(), 56864u);
    EXPECT_EQ(text(t.records[4][8]).size(), 426u);
    EXPECT_TRUE(pdx::isNull(t.records[5][8]));
    EXPECT_EQ(as<pdx::Date>(t.records[0][9]).day, 728691);  // 1996-02-02
}

TEST(ReaderBlobs, HerculesTemplates) {
    const auto t = readAll(fixture("db/HERCULES.DB"));
    ASSERT_EQ(t.records.size(), 20u);
    EXPECT_EQ(text(t.records[0][0]), "CUSTTF_HEADER");
    EXPECT_EQ(text(t.records[0][1]).rfind("<TABLE BORDER=2>", 0), 0u);
    EXPECT_EQ(text(t.records[19][1]).size(), 409u);
}

TEST(ReaderBlobs, CompanionFoundWhateverItsCase) {
    vts::test::TempDir dir;
    fs::copy_file(fixture("fields/memo.db"), dir / "Memo.DB");
    fs::copy_file(fixture("fields/memo.mb"), dir / "MEMO.mb");
    const auto t = readAll(dir / "Memo.DB");
    EXPECT_EQ(text(t.records[0][1]).size(), 555u);
}
