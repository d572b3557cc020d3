// Keyed tables under a sort order the engine does not implement keep the order their own
// engine gave the keys; a new key goes where every collation that order allows puts it, and is
// refused instead of misplaced where they disagree.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/pdx/write/kept_key_order.h"
#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;
using pdx::FieldType;

pdx::Schema namesSchema(int keyFields) {
    pdx::Schema s;
    s.fields = {{"Name", FieldType::Alpha, 10}, {"Rank", FieldType::Short, 2}};
    s.keyFields = keyFields;
    return s;
}

std::vector<pdx::Record> names(std::initializer_list<const char*> list) {
    std::vector<pdx::Record> records;
    for (const char* n : list) records.push_back({std::string(n), std::int64_t(records.size())});
    return records;
}

// A keyed "intl"-style table as another engine leaves it: keys in case-blind order, which byte
// order contradicts ("apple" < "Banana" < "cherry"). Written unkeyed in that order, then
// turned into a keyed ANSII850 table in its header.
fs::path caseBlindTable(const fs::path& dir) {
    writeAll(dir, "ORIG", namesSchema(0), names({"apple", "Banana", "cherry"}));
    std::vector<std::uint8_t> b = readBytes(dir / "ORIG.db");
    const std::string from = "DBWINUS0", to = "ANSII850";
    const auto at = std::search(b.begin(), b.end(), from.begin(), from.end());
    EXPECT_NE(at, b.end());
    std::copy(to.begin(), to.end(), at);
    b[0x04] = 0;     // keyed table
    b[0x23] = 1;     // one key field
    b[0x29] = 0x11;  // ANSII850's sort-order byte
    writeBytes(dir / "ORIG.db", b);
    return dir / "ORIG.db";
}

std::vector<std::string> namesIn(const fs::path& db) {
    std::vector<std::string> out;
    for (const auto& r : readAll(db).records) out.push_back(std::get<std::string>(r[0]));
    return out;
}

TEST(KeyOrder, UnchangedKeysKeepTheirOrderUnderAnUnimplementedSortOrder) {
    vts::test::TempDir tmp;
    const fs::path orig = caseBlindTable(tmp.path());
    const Table t = readAll(orig);
    ASSERT_EQ(t.info.schema.sortOrderId, "ANSII850");
    ASSERT_EQ(t.info.schema.keyFields, 1);

    // Handed over in another order (and with other values outside the key), as after edits.
    std::vector<pdx::Record> edited = {t.records[2], t.records[0], t.records[1]};
    edited[0][1] = std::int64_t{99};
    writeAll(tmp.path(), "NEW", t.info.schema, edited, keepingOrderOf(orig));
    EXPECT_EQ(namesIn(tmp / "NEW.db"), (std::vector<std::string>{"apple", "Banana", "cherry"}));
    EXPECT_EQ(readAll(tmp / "NEW.db").info.schema.sortOrderId, "ANSII850");
}

// The earlier table's order (apple < Banana < cherry) rules out byte order; the case-blind
// collations left agree on some new keys and not on others.
TEST(KeyOrder, NewKeysArePlacedOnlyWhereEveryCollationLeftAgrees) {
    vts::test::TempDir tmp;
    const fs::path orig = caseBlindTable(tmp.path());
    const Table t = readAll(orig);
    struct Case {
        const char* newKey;
        std::vector<std::string> placed;  // empty: refused
    };
    const Case cases[] = {
        {"Apricot", {"Apricot", "Banana", "cherry"}},
        {"avocado", {"avocado", "Banana", "cherry"}},
        {"Cherry", {}},      // upper or lower case first: "cherry" stays in the table
        {"\u00C4pfel", {}},  // Ä with A, or after every letter
    };
    for (const Case& c : cases) {
        std::vector<pdx::Record> records = t.records;
        records[0][0] = std::string(c.newKey);
        const std::string why =
            vts::test::errorOf([&] { writeAll(tmp.path(), "NEW", t.info.schema, records, keepingOrderOf(orig)); });
        if (c.placed.empty()) {
            EXPECT_NE(why.find("either way round"), std::string::npos) << c.newKey << ": " << why;
            EXPECT_TRUE(pdx::findFamily(tmp.path(), "NEW").empty()) << "nothing is left of a refused table";
        } else {
            EXPECT_EQ(why, "") << c.newKey;
            EXPECT_EQ(namesIn(tmp / "NEW.db"), c.placed) << c.newKey;
            for (const auto& f : pdx::findFamily(tmp.path(), "NEW")) fs::remove(f);
        }
    }
    // With no earlier table nothing rules byte order out: apple and Banana may come either way.
    const std::string none = vts::test::errorOf([&] { writeAll(tmp.path(), "NEW", t.info.schema, t.records); });
    EXPECT_NE(none.find("either way round"), std::string::npos) << none;
}

TEST(KeyOrder, ByteOrderedSortOrdersPlaceEditedKeys) {
    vts::test::TempDir tmp;
    writeAll(tmp.path(), "BIN", namesSchema(1), names({"cherry", "apple", "Banana", "Apricot"}));
    EXPECT_EQ(namesIn(tmp / "BIN.db"), (std::vector<std::string>{"Apricot", "Banana", "apple", "cherry"}));
}

TEST(KeyOrder, KeysWithoutTextFollowTheirValueUnderEverySortOrder) {
    vts::test::TempDir tmp;
    pdx::Schema s;
    s.fields = {{"Id", FieldType::Short, 2}, {"Name", FieldType::Alpha, 10}};
    s.keyFields = 1;
    s.sortOrderId = "ANSII850";  // decides the order of text only
    s.sortOrder = 0x11;
    writeAll(tmp.path(), "NUM", s, {{std::int64_t{3}, std::string("c")}, {std::int64_t{-1}, std::string("a")}});
    const Table t = readAll(tmp / "NUM.db");
    ASSERT_EQ(t.records.size(), 2u);
    EXPECT_EQ(t.records[0][0], pdx::Value(std::int64_t{-1}));
}

TEST(KeyOrder, AnotherKeyLayoutGivesNoOrderToKeep) {
    vts::test::TempDir tmp;
    const fs::path orig = caseBlindTable(tmp.path());
    pdx::Schema wider = readAll(orig).info.schema;
    wider.fields[0].size = 12;  // the stored keys differ: the old order says nothing about them
    EXPECT_FALSE(pdx::keptKeyOrder(orig, wider));
    EXPECT_TRUE(pdx::keptKeyOrder(orig, readAll(orig).info.schema));
}

}  // namespace
