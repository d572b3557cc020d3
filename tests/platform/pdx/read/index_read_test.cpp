// Reading the definitions and entries of the fixtures' secondary indexes, and refusing index
// files that are damaged or do not belong to their table.
#include <gtest/gtest.h>

#include "tests/platform/pdx/index_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;
using pdx::SecondaryIndexDef;

struct Expected {
    std::string table, extension;
    std::vector<std::string> fields;
    std::vector<int> numbers;
    std::vector<bool> descending;
    int fileType;
    std::uint8_t flags;
    std::string name;
    std::uint32_t entries;
    bool keyed;
};

const std::vector<Expected> kExpected{
    {"db/AREACODES.DB", "XG0", {"State"}, {2}, {false}, 8, 0x01, "ste", 370, true},
    {"db/CUSTOMER.DB", "X06", {"City"}, {6}, {false}, 5, 0x00, "", 20, true},
    {"joins/C.DB", "X02", {"A"}, {2}, {false}, 5, 0x00, "", 3, true},
    {"joins/C.DB", "X03", {"B"}, {3}, {false}, 5, 0x00, "", 3, true},
    {"joins/case.db", "x01", {"C"}, {1}, {false}, 3, 0x00, "", 0, false},
    {"joins/fk1.db", "x02", {"FK"}, {2}, {false}, 5, 0x00, "", 0, true},
    {"joins/fk2.db", "x02", {"FK"}, {2}, {false}, 5, 0x00, "", 0, true},
    {"joins/fk3.db", "x03", {"FK2"}, {3}, {false}, 5, 0x00, "", 0, true},
    {"joins/fk4.db", "XG0", {"FK1", "FK"}, {2, 4}, {false, false}, 8, 0x00, "reference", 2, true},
    {"joins/indexed.db", "xg0", {"Indexed"}, {1}, {true}, 6, 0x11, "Descending", 0, false},
    {"joins/multiple.db", "X02", {"FK"}, {2}, {false}, 5, 0x00, "", 0, true},
    {"joins/multiple.db", "X04", {"FK2"}, {4}, {false}, 5, 0x00, "", 0, true},
    {"joins/to_multiple.db", "X02", {"FK"}, {2}, {false}, 5, 0x00, "", 0, true},
};

std::vector<std::string> names(const SecondaryIndexDef& d) {
    std::vector<std::string> out;
    for (const auto& f : d.fields) out.push_back(f.name);
    return out;
}

TEST(ReadSecondaryIndexes, findsEveryFixtureIndexWithItsDefinition) {
    std::size_t seen = 0;
    for (const std::string& table : indexedFixtures()) {
        const auto defs = pdx::readSecondaryIndexes(fixture(table));
        for (const SecondaryIndexDef& d : defs) {
            SCOPED_TRACE(d.xFile.string());
            const auto e = std::find_if(kExpected.begin(), kExpected.end(), [&](const Expected& x) {
                return x.table == table && x.extension == d.extension;
            });
            ASSERT_NE(e, kExpected.end());
            ++seen;
            EXPECT_EQ(names(d), e->fields);
            EXPECT_EQ(d.fieldNumbers, e->numbers);
            EXPECT_EQ(d.descending, e->descending);
            EXPECT_EQ(d.fileType, e->fileType);
            EXPECT_EQ(d.flags, e->flags);
            EXPECT_EQ(d.name, e->name);
            EXPECT_EQ(d.entries, e->entries);
            EXPECT_EQ(d.keyedLayout, e->keyed);
            EXPECT_EQ(d.yFile.extension().string().substr(1),
                      (e->extension[0] == 'x' ? "y" : "Y") + e->extension.substr(1));
            EXPECT_EQ(pdx::readIndexEntries(d).size(), d.entries);
        }
    }
    EXPECT_EQ(seen, kExpected.size());
}

TEST(ReadSecondaryIndexes, tellsTheKindsOfIndexApart) {
    const auto areacodes = pdx::readSecondaryIndexes(fixture("db/AREACODES.DB")).at(0);
    EXPECT_TRUE(areacodes.group());
    EXPECT_TRUE(areacodes.maintained());
    EXPECT_TRUE(areacodes.caseInsensitive());
    EXPECT_FALSE(areacodes.unique());
    EXPECT_EQ(areacodes.sortOrderId, "DBWINUS0");
    EXPECT_EQ(areacodes.blockSizeKiB, 16);
    EXPECT_EQ(areacodes.versionByte, 0x0C);
    const auto caseIndex = pdx::readSecondaryIndexes(fixture("joins/case.db")).at(0);
    EXPECT_FALSE(caseIndex.group());
    EXPECT_FALSE(caseIndex.maintained());
    EXPECT_FALSE(caseIndex.caseInsensitive());
    EXPECT_EQ(caseIndex.versionByte, 0x09);
}

TEST(ReadSecondaryIndexes, tableWithoutIndexesHasNone) {
    EXPECT_TRUE(pdx::readSecondaryIndexes(fixture("db/ORDERS.DB")).empty());
    EXPECT_TRUE(pdx::readSecondaryIndexes(fixture("joins/A.db")).empty());
}

TEST(ReadIndexEntries, keyedEntriesHoldValueKeyAndBlock) {
    const auto entries = pdx::readIndexEntries(pdx::readSecondaryIndexes(fixture("db/CUSTOMER.DB")).at(0));
    ASSERT_EQ(entries.size(), 20u);
    const std::string aptos("Aptos\0\0\0\0\0\0\0\0\0\0", 15);
    EXPECT_EQ(entries[0].values, pdx::Bytes(aptos.begin(), aptos.end()));
    EXPECT_EQ(entries[0].primaryKey, (pdx::Bytes{0x80, 0x00, 0x00, 0x0C}));
    EXPECT_EQ(entries[0].block, 3);
    EXPECT_EQ(entries[19].primaryKey, (pdx::Bytes{0x80, 0x00, 0x00, 0x13}));
    EXPECT_EQ(entries[19].block, 4);
}

// Every entry points to the .db block that holds the record with its key and value.
TEST(ReadIndexEntries, entriesPointToTheirRecords) {
    for (const char* table : {"db/AREACODES.DB", "db/CUSTOMER.DB", "joins/C.DB", "joins/fk4.db"}) {
        SCOPED_TRACE(table);
        const PlacedRecords t = placedRecords(fixture(table));
        const pdx::TableInfo info = pdx::TableReader(fixture(table)).info();
        std::size_t keyBytes = 0;
        for (int i = 0; i < info.schema.keyFields; ++i)
            keyBytes += static_cast<std::size_t>(t.header.fields[static_cast<std::size_t>(i)].storedSize);
        for (const SecondaryIndexDef& d : pdx::readSecondaryIndexes(fixture(table))) {
            const auto entries = pdx::readIndexEntries(d);
            EXPECT_EQ(entries.size(), t.records.size());
            for (const pdx::IndexEntry& e : entries) {
                const auto r = std::find_if(t.records.begin(), t.records.end(), [&](const pdx::Bytes& rec) {
                    return std::equal(e.primaryKey.begin(), e.primaryKey.end(), rec.begin()) &&
                           e.primaryKey.size() == keyBytes;
                });
                ASSERT_NE(r, t.records.end());
                const std::size_t i = static_cast<std::size_t>(r - t.records.begin());
                EXPECT_EQ(e.block, t.places[i].block);
                pdx::Bytes values;
                for (int n : d.fieldNumbers) {
                    const auto& f = t.header.fields[static_cast<std::size_t>(n - 1)];
                    values.insert(values.end(), r->begin() + f.offset, r->begin() + f.offset + f.storedSize);
                }
                EXPECT_EQ(e.values, values);
            }
        }
    }
}

// ---- damaged and foreign index files ------------------------------------------------------------

class DamagedIndex : public ::testing::Test {
protected:
    void SetUp() override { db_ = copyFamily(fixture("db/CUSTOMER.DB"), dir_ / "t"); }
    fs::path file(const std::string& ext) const { return db_.parent_path() / ("CUSTOMER." + ext); }
    void patch(const std::string& ext, std::size_t at, std::vector<std::uint8_t> bytes) const {
        auto b = readBytes(file(ext));
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        writeBytes(file(ext), b);
    }
    std::string readError() const {
        return errorOf([&] {
            for (const auto& d : pdx::readSecondaryIndexes(db_)) pdx::readIndexEntries(d);
        });
    }
    // The error names the index file and says what is wrong.
    void expectError(const std::string& ext, const std::string& what) const {
        const std::string e = readError();
        EXPECT_EQ(e.rfind(file(ext).string() + ": ", 0), 0u) << e;
        EXPECT_NE(e.find(what), std::string::npos) << e;
    }

    vts::test::TempDir dir_;
    fs::path db_;
};

TEST_F(DamagedIndex, cutShortHeader) {
    auto b = readBytes(file("X06"));
    b.resize(0x40);
    writeBytes(file("X06"), b);
    expectError("X06", "too short");
}

TEST_F(DamagedIndex, notAnIndexTable) {
    patch("X06", 0x04, {0x02});
    expectError("X06", "not a secondary index table (file type 2)");
}

TEST_F(DamagedIndex, missingTree) {
    fs::remove(file("Y06"));
    expectError("X06", "has no tree file (.Y06)");
}

TEST_F(DamagedIndex, treeOfTheWrongKind) {
    patch("Y06", 0x04, {0x07});
    expectError("Y06", "not an index tree (file type 7, expected 4)");
}

TEST_F(DamagedIndex, fieldNumberOutsideTheTable) {
    const auto h = readBytes(file("X06"));
    patch("X06", 0x15, {30});
    patch("X06", 0x58 + pdx::loadLE16(h.data() + 0x66), {30, 0});
    expectError("X06", "indexed field number 30 is not a field of the table");
}

TEST_F(DamagedIndex, fieldThatDoesNotMatchTheTable) {
    patch("X06", 0x78, {0x18, 0x0F});  // City as Bytes: the table's City is Alpha
    expectError("X06", "the index's field 1 does not match the table's field \"City\"");
}

TEST_F(DamagedIndex, extensionNamingAnotherField) {
    fs::rename(file("X06"), file("X07"));
    fs::rename(file("Y06"), file("Y07"));
    expectError("X07", "a .X07 file must index field 07 (hexadecimal) alone");
}

TEST_F(DamagedIndex, brokenBlock) {
    patch("X06", 0x800 + 4, {0x05, 0x00});  // last record offset not a multiple of 21
    expectError("X06", "block 1 is damaged");
}

TEST_F(DamagedIndex, recordCountDisagreesWithTheBlocks) {
    patch("X06", 0x06, {21});
    expectError("X06", "the header counts 21 records, its blocks hold 20");
    patch("X06", 0x06, {0xFF, 0xFF, 0xFF, 0x7F});  // no room is taken for a count the file cannot hold
    expectError("X06", "the header counts 2147483647 records, its blocks hold 20");
}

}  // namespace
