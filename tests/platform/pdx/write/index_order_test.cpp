// The order a rewritten index puts its entries in: byte order where the engine compares bytes,
// case folding, descending fields, the kept order of the earlier index where this program cannot
// order values, and the refusals where neither applies; which indexes a new schema drops.
#include <gtest/gtest.h>

#include "platform/pdx/write/block_writer.h"
#include "platform/pdx/format/index_header.h"
#include "tests/platform/pdx/index_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

// The place of the record with this 0-based number in a table whose blocks are filled in order.
pdx::RecordPlace placeOf(std::uint64_t ordinal, int blockCapacity, int recordSize) {
    const auto cap = static_cast<std::uint64_t>(blockCapacity);
    return {static_cast<std::uint16_t>(ordinal / cap + 1), static_cast<std::int32_t>(ordinal + 1),
            static_cast<std::uint16_t>((ordinal % cap) * static_cast<std::uint64_t>(recordSize))};
}

using namespace pdxtest;
using pdx::Field;
using pdx::FieldType;
using pdx::SecondaryIndexDef;

struct Row {
    int id;
    std::string name;  // code page 1252 bytes
    int num;
};

pdx::Schema tableSchema(const std::string& sortOrderId, int keyFields = 1) {
    pdx::Schema s;
    s.fields = {{"Id", FieldType::Long, 4}, {"Name", FieldType::Alpha, 10}, {"Num", FieldType::Long, 4}};
    s.keyFields = keyFields;
    s.codePage = 1252;
    s.sortOrderId = sortOrderId;
    s.sortOrder = sortOrderId == "DBWINUS0" ? 0x4C : 0x11;
    return s;
}

pdx::Bytes recordOf(const Row& r) {
    pdx::Bytes b;
    const auto id = pdx::encodeLong(r.id), num = pdx::encodeLong(r.num);
    b.insert(b.end(), id.begin(), id.end());
    b.insert(b.end(), r.name.begin(), r.name.end());
    b.resize(4 + 10, 0);
    b.insert(b.end(), num.begin(), num.end());
    return b;
}

// An index on the given fields of tableSchema (numbers 1-based).
SecondaryIndexDef indexOn(std::vector<int> numbers, std::uint8_t flags = 0, int fileType = 8,
                          const std::string& ext = "XG0") {
    const pdx::Schema s = tableSchema("DBWINUS0");
    SecondaryIndexDef d;
    d.extension = ext;
    d.fileType = fileType;
    d.flags = flags;
    d.name = fileType == 6 || fileType == 8 ? "byName" : "";
    for (int n : numbers) {
        d.fields.push_back(s.fields[static_cast<std::size_t>(n - 1)]);
        d.fieldNumbers.push_back(n);
        d.descending.push_back((flags & pdx::kIndexDescending) != 0);
    }
    return d;
}

class IndexOrder : public ::testing::Test {
protected:
    // Writes the index for these rows (in table order) and reads its entries back.
    std::vector<pdx::IndexEntry> write(const SecondaryIndexDef& def, const pdx::Schema& s, const std::vector<Row>& rows,
                                       const pdx::KeptOrder* kept = nullptr) {
        pdx::SecondaryIndexWriter w(def, s, "T", kept);
        const int cap = pdx::BlockWriter::capacity(2, 18);
        for (std::size_t i = 0; i < rows.size(); ++i) w.add(recordOf(rows[i]).data(), placeOf(i, cap, 18));
        SecondaryIndexDef written = def;
        written.xFile = dir_ / ("T." + w.extension() + "-" + std::to_string(++files_));
        written.yFile = dir_ / ("T." + w.treeExtension() + "-" + std::to_string(files_));
        written.keyedLayout = s.keyFields > 0;
        w.write(written.xFile, written.yFile, {}, {});
        for (pdx::StagedFile* f : w.stagedFiles()) f->install();
        lastX_ = written.xFile;
        return pdx::readIndexEntries(written);
    }
    std::vector<std::string> namesOf(const std::vector<pdx::IndexEntry>& entries) const {
        std::vector<std::string> out;
        for (const auto& e : entries)
            out.emplace_back(reinterpret_cast<const char*>(e.values.data()),
                             strnlen(reinterpret_cast<const char*>(e.values.data()), 10));
        return out;
    }
    std::vector<int> idsOf(const std::vector<pdx::IndexEntry>& entries) const {
        std::vector<int> out;
        for (const auto& e : entries) out.push_back(pdx::decodeLong(e.primaryKey.data()));
        return out;
    }
    // The kept order of an earlier index that held these names in this order.
    static pdx::KeptOrder keptOf(const SecondaryIndexDef& def, const std::vector<std::string>& names) {
        std::vector<pdx::IndexEntry> entries;
        for (const auto& n : names) {
            pdx::IndexEntry e;
            e.values.assign(n.begin(), n.end());
            e.values.resize(10, 0);
            entries.push_back(e);
        }
        return pdx::keptOrderOf(def, entries);
    }

    vts::test::TempDir dir_;
    fs::path lastX_;
    int files_ = 0;
};

const std::vector<Row> kMixedCase{{1, "smith", 0}, {2, "Adams", 0}, {3, "SMITH", 0},
                                  {4, "jones", 0}, {5, "Smith", 0}, {6, "adams", 0}};

TEST_F(IndexOrder, caseSensitiveIndexOrdersByBytes) {
    const auto e = write(indexOn({2}), tableSchema("DBWINUS0"), kMixedCase);
    EXPECT_EQ(namesOf(e), (std::vector<std::string>{"Adams", "SMITH", "Smith", "adams", "jones", "smith"}));
}

// Values equal but for case sit together in key order, upper-cased as the engine keeps them.
TEST_F(IndexOrder, caseInsensitiveIndexHoldsTextUpperCasedInKeyOrder) {
    const auto e = write(indexOn({2}, pdx::kIndexCaseInsensitive), tableSchema("DBWINUS0"), kMixedCase);
    EXPECT_EQ(namesOf(e), (std::vector<std::string>{"ADAMS", "ADAMS", "JONES", "SMITH", "SMITH", "SMITH"}));
    EXPECT_EQ(idsOf(e), (std::vector<int>{2, 6, 4, 1, 3, 5}));
}

TEST_F(IndexOrder, caseInsensitiveTextBeyondLettersNeedsTheEarlierOrder) {
    const auto def = indexOn({2}, pdx::kIndexCaseInsensitive);
    const std::vector<Row> rows{{1, "a_b", 0}, {2, "aab", 0}, {3, "\xC9t\xE9", 0}};
    EXPECT_EQ(errorOf([&] { write(def, tableSchema("DBWINUS0"), rows); }),
              "the index XG0 of T cannot place \"A_B\": this program does not know how a case-insensitive index "
              "orders such text");
    const pdx::KeptOrder kept = keptOf(def, {"AAB", "A_B", "\xC9T\xC9"});
    EXPECT_EQ(namesOf(write(def, tableSchema("DBWINUS0"), rows, &kept)),
              (std::vector<std::string>{"AAB", "A_B", "\xC9T\xC9"}));
}

// Under ANSII850 only the earlier index knows where a value goes.
TEST_F(IndexOrder, foreignSortOrderFollowsTheEarlierIndex) {
    const auto def = indexOn({2}, 0, 5, "X02");
    const pdx::KeptOrder kept = keptOf(def, {"Zeta", "alpha", "Mid"});
    const std::vector<Row> rows{{1, "Mid", 0}, {2, "alpha", 0}, {3, "Zeta", 0}, {4, "Mid", 0}};
    const auto e = write(def, tableSchema("ANSII850"), rows, &kept);
    EXPECT_EQ(namesOf(e), (std::vector<std::string>{"Zeta", "alpha", "Mid", "Mid"}));
    EXPECT_EQ(idsOf(e), (std::vector<int>{3, 2, 1, 4}));
}

TEST_F(IndexOrder, foreignSortOrderRefusesAValueTheEarlierIndexDidNotHold) {
    const auto def = indexOn({2}, 0, 5, "X02");
    const pdx::KeptOrder kept = keptOf(def, {"Zeta", "alpha"});
    const std::vector<Row> rows{{1, "alpha", 0}, {2, "M\xFCller", 0}};
    EXPECT_EQ(errorOf([&] { write(def, tableSchema("ANSII850"), rows, &kept); }),
              "the index X02 of T cannot place \"M\xC3\xBCller\": the table's sort order ANSII850 is not one this "
              "program can order by, and the index did not hold this value before");
    EXPECT_TRUE(fs::is_empty(dir_.path())) << "nothing is left behind";
}

TEST_F(IndexOrder, oneValueNeedsNoOrderAtAll) {
    const std::vector<Row> rows{{1, "same", 0}, {2, "same", 0}};
    EXPECT_EQ(idsOf(write(indexOn({2}, 0, 5, "X02"), tableSchema("ANSII850"), rows)), (std::vector<int>{1, 2}));
}

TEST_F(IndexOrder, numbersNeedNoEarlierOrder) {
    const std::vector<Row> rows{{1, "b", 30}, {2, "a", -5}, {3, "c", 7}};
    EXPECT_EQ(idsOf(write(indexOn({3}, 0, 5, "X03"), tableSchema("ANSII850"), rows)), (std::vector<int>{2, 3, 1}));
}

TEST_F(IndexOrder, compositeIndexOrdersFieldByField) {
    const std::vector<Row> rows{{1, "b", 1}, {2, "a", 2}, {3, "b", 0}, {4, "a", 1}};
    EXPECT_EQ(idsOf(write(indexOn({2, 3}), tableSchema("DBWINUS0"), rows)), (std::vector<int>{4, 2, 3, 1}));
    const auto h = [&] {
        const auto b = readBytes(lastX_);
        return pdx::parseIndexTableHeader(b.data(), b.size());
    }();
    EXPECT_EQ(h.fieldNumbers, (std::vector<int>{2, 3, 3, 4}));
    EXPECT_EQ(h.table.keyFields, 3);
    EXPECT_EQ(h.name, "byName");
}

// Descending fields reverse their values' order; equal values stay in the table's order.
TEST_F(IndexOrder, descendingIndexReversesTheValues) {
    const std::vector<Row> rows{{1, "x", 5}, {2, "x", 9}, {3, "x", 5}, {4, "x", -1}};
    EXPECT_EQ(idsOf(write(indexOn({3}, pdx::kIndexDescending), tableSchema("DBWINUS0"), rows)),
              (std::vector<int>{2, 1, 3, 4}));
    const auto b = readBytes(lastX_);
    EXPECT_EQ(pdx::parseIndexTableHeader(b.data(), b.size()).fieldNumbers.front(), 0x8003);
    EXPECT_EQ(b[0x55], pdx::kIndexDescending);
}

TEST_F(IndexOrder, uniqueIndexRefusesAValueTwice) {
    const std::vector<Row> rows{{1, "x", 0}, {2, "y", 0}, {3, "X", 0}};
    EXPECT_NO_THROW(write(indexOn({2}, pdx::kIndexUnique), tableSchema("DBWINUS0"), rows));
    EXPECT_EQ(errorOf([&] {
                  write(indexOn({2}, pdx::kIndexUnique | pdx::kIndexCaseInsensitive), tableSchema("DBWINUS0"), rows);
              }),
              "the unique index XG0 of T: records 1 and 3 have the same value \"X\"");
}

TEST_F(IndexOrder, unkeyedTableEntriesLocateRecordsByTupleAndBlock) {
    std::vector<Row> rows;
    for (int i = 0; i < 300; ++i) rows.push_back({i, i % 2 ? "odd" : "even", 0});
    const auto e = write(indexOn({2}, 0, 6), tableSchema("DBWINUS0", 0), rows);
    ASSERT_EQ(e.size(), 300u);
    const int cap = pdx::BlockWriter::capacity(2, 18);
    for (std::size_t i = 0; i < e.size(); ++i) {
        const int tuple = e[i].tupleNumber;  // "even" rows first, each value in table order
        const std::size_t ordinal = static_cast<std::size_t>(tuple - 1);
        EXPECT_EQ(ordinal, i < 150 ? 2 * i : 2 * (i - 150) + 1);
        EXPECT_EQ(e[i].block, ordinal / static_cast<std::size_t>(cap) + 1);
        EXPECT_EQ(e[i].tupleOffset, (ordinal % static_cast<std::size_t>(cap)) * 18);
        EXPECT_TRUE(e[i].primaryKey.empty());
    }
}

// Enough entries for a two-level tree over many index blocks.
TEST_F(IndexOrder, manyEntriesGetATreeOverEveryBlock) {
    std::vector<Row> rows;
    for (int i = 0; i < 30000; ++i) rows.push_back({i, std::to_string((i * 7919) % 30000), 0});
    const auto e = write(indexOn({2}), tableSchema("DBWINUS0"), rows);
    ASSERT_EQ(e.size(), rows.size());
    EXPECT_TRUE(std::is_sorted(e.begin(), e.end(), [](const auto& a, const auto& b) { return a.values < b.values; }));
    const auto x = readBytes(lastX_);
    const fs::path tree = lastX_.parent_path() / ("T.YG0-" + std::to_string(files_));
    EXPECT_EQ(readBytes(tree)[0x20], 2) << "tree levels";
    const auto leaves = treeLeaves(tree, 14);
    std::size_t total = 0;
    for (std::size_t b = 0; b < leaves.size(); ++b) {
        EXPECT_EQ(leaves[b].block, static_cast<int>(b + 1));
        const std::uint8_t* first = x.data() + 0x800 + b * 2048 + 6;
        EXPECT_EQ(leaves[b].key, pdx::Bytes(first, first + 14));
        total += static_cast<std::size_t>(leaves[b].count);
    }
    EXPECT_EQ(total, rows.size());
    EXPECT_EQ(leaves.size(), static_cast<std::size_t>(pdx::loadLE16(x.data() + 0x0A)));
}

TEST(KeptOrderOf, refusesAnIndexThatStoresEqualValuesApart) {
    SecondaryIndexDef def = indexOn({2});
    def.xFile = "T.XG0";
    std::vector<pdx::IndexEntry> entries(3);
    for (auto& e : entries) e.values.assign(10, 0);
    entries[0].values[0] = entries[2].values[0] = 'a';
    entries[1].values[0] = 'b';
    EXPECT_EQ(errorOf([&] { pdx::keptOrderOf(def, entries); }),
              "T.XG0: the index stores equal values apart, in an order this program cannot reproduce");
}

// ---- a new schema ------------------------------------------------------------------------------

TEST(PlanSecondaryIndexes, dropsIndexesTheNewTableCannotCarry) {
    pdx::Schema s = tableSchema("DBWINUS0");
    s.fields[1].name = "FullName";
    auto memo = indexOn({3});
    memo.extension = "XG1";
    auto first = indexOn({1}, 0, 5, "X01");
    const auto plan = pdx::planSecondaryIndexes({indexOn({2}), memo, first, indexOn({3}, 0, 5, "X03")}, s);
    // The engine keeps an index that starts with the key field: so does the writer.
    ASSERT_EQ(plan.kept.size(), 3u);
    EXPECT_EQ(plan.kept[0].extension, "XG1");
    EXPECT_EQ(plan.kept[1].extension, "X01");
    EXPECT_EQ(plan.kept[2].extension, "X03");
    ASSERT_EQ(plan.dropped.size(), 1u);
    EXPECT_EQ(plan.dropped[0].extension, "XG0");
    EXPECT_EQ(plan.dropped[0].reason, "its field \"Name\" is no longer in the table");

    s.fields[2] = {"Num", FieldType::Memo, 20};
    EXPECT_EQ(pdx::planSecondaryIndexes({memo}, s).dropped.at(0).reason,
              "its field \"Num\" is now a Memo field, which no index can hold");
    EXPECT_EQ(pdx::planSecondaryIndexes({indexOn({3})}, tableSchema("DBWINUS0", 0)).dropped.at(0).reason,
              "the table has no key, which a maintained index needs");
    EXPECT_EQ(errorOf([&] { pdx::SecondaryIndexWriter(indexOn({3}), tableSchema("DBWINUS0", 0), "T"); }),
              "the index XG0 of T cannot be kept: the table has no key, which a maintained index needs");
}

// A single-field index is named after its field's number, which moves with the field.
TEST(PlanSecondaryIndexes, singleFieldIndexFollowsItsFieldToItsNewNumber) {
    pdx::Schema s = tableSchema("DBWINUS0");
    std::swap(s.fields[1], s.fields[2]);  // Num is now field 2
    for (const std::string ext : {"X03", "x03"}) {
        pdx::SecondaryIndexWriter w(indexOn({3}, 0, 5, ext), s, "T");
        EXPECT_EQ(w.extension(), ext == "X03" ? "X02" : "x02");
        EXPECT_EQ(w.treeExtension(), ext == "X03" ? "Y02" : "y02");
    }
    s.fields.insert(s.fields.begin() + 1, 12, Field{"", FieldType::Short, 2});
    for (int i = 0; i < 12; ++i) s.fields[static_cast<std::size_t>(i + 1)].name = "F" + std::to_string(i);
    EXPECT_EQ(pdx::SecondaryIndexWriter(indexOn({3}, 0, 5, "X03"), s, "T").extension(), "X0E");
}

}  // namespace
