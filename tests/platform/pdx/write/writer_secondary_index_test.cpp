// A table written again in its place carries its secondary indexes: the same definitions and
// entries as before, each entry pointing at its record in the new .db; an index the new schema
// cannot carry is dropped and said to be; a value it cannot place stops the write before anything
// is replaced.
#include <gtest/gtest.h>

#include <optional>

#include "platform/pdx/format/header.h"
#include "platform/pdx/format/index_fold.h"
#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/replace/table_replace.h"
#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/error_of.h"
#include "tests/support/letter_case.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;
using pdx::SecondaryIndexDef;
using vts::test::errorOf;
using vts::test::upper;

// Writes the table again in its place, carrying the indexes it has now; returns those dropped.
std::vector<pdx::DroppedIndex> rewrite(const fs::path& db, const pdx::Schema& schema,
                                       const std::vector<pdx::Record>& rows) {
    const auto defs = pdx::readSecondaryIndexes(db);
    const pdx::TableInfo info = pdx::TableReader(db).info();
    pdx::TableReplacement replace(db.parent_path(), db.stem().string());
    pdx::WriterOptions opt;
    opt.place = [&replace](const std::string& ext) { return replace.place(ext); };
    opt.secondaryIndexes = defs;
    opt.keyOrderFrom = db;
    opt.autoIncFloor = info.autoIncCounter;
    opt.changeCount2 = info.changeCount2;
    pdx::TableWriter w(db.parent_path(), db.stem().string(), schema, opt);
    for (const auto& r : rows) w.append(r);
    w.finish();
    replace.commit(w);
    return w.droppedIndexes();
}

// The .db block of each record of a table, in chain order.
std::vector<int> blockOfEachRecord(const fs::path& db) {
    const RawTable t = rawTable(db);
    std::vector<int> out;
    for (const std::uint8_t* r : t.records) {
        const auto at = static_cast<std::size_t>(r - t.bytes.data()) - static_cast<std::size_t>(t.headerSize);
        out.push_back(static_cast<int>(at / static_cast<std::size_t>(t.blockSize)) + 1);
    }
    return out;
}

// Every entry leads to a record holding its values and key: by key and block in a keyed table,
// by block, offset and tuple number in an unkeyed one.
void expectEntriesLeadToTheirRecords(const fs::path& db, const SecondaryIndexDef& d) {
    const RawTable t = rawTable(db);
    const auto blocks = blockOfEachRecord(db);
    const pdx::TableInfo info = pdx::TableReader(db).info();
    std::vector<std::size_t> offsets;
    std::size_t at = 0;
    for (const auto& f : info.schema.fields) {
        offsets.push_back(at);
        at += static_cast<std::size_t>(pdx::fieldStorageSize(f.type, f.size));
    }
    std::optional<pdx::IndexFold> fold;  // a case-insensitive index holds its text folded
    if (d.caseInsensitive()) fold.emplace(info.schema.codePage, info.schema.sortOrderId);
    for (const pdx::IndexEntry& e : pdx::readIndexEntries(d)) {
        std::size_t i = 0;
        if (d.keyedLayout) {
            while (i < t.records.size() && !std::equal(e.primaryKey.begin(), e.primaryKey.end(), t.records[i])) ++i;
        } else {
            i = static_cast<std::size_t>(e.tupleNumber - 1);
            ASSERT_LT(i, t.records.size());
            const std::uint8_t* p = t.bytes.data() + t.headerSize + static_cast<std::size_t>(e.block - 1) * t.blockSize;
            EXPECT_EQ(p + 6 + e.tupleOffset, t.records[i]);
        }
        ASSERT_LT(i, t.records.size());
        EXPECT_EQ(e.block, blocks[i]);
        pdx::Bytes values;
        for (int n : d.fieldNumbers) {
            const auto& f = info.schema.fields[static_cast<std::size_t>(n - 1)];
            const std::uint8_t* v = t.records[i] + offsets[static_cast<std::size_t>(n - 1)];
            const auto size = static_cast<std::size_t>(pdx::fieldStorageSize(f.type, f.size));
            values.insert(values.end(), v, v + size);
            if (fold && f.type == pdx::FieldType::Alpha) fold->foldText(values.data() + values.size() - size, size);
        }
        EXPECT_EQ(e.values, values);
    }
}

// What an index holds apart from where its records lie.
std::vector<std::pair<pdx::Bytes, pdx::Bytes>> logical(const std::vector<pdx::IndexEntry>& entries) {
    std::vector<std::pair<pdx::Bytes, pdx::Bytes>> out;
    for (const auto& e : entries) out.emplace_back(e.values, e.primaryKey);
    return out;
}

std::vector<std::string> indexFilesIn(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string ext = upper(e.path().extension().string());
        if (ext.size() > 1 && (ext[1] == 'X' || ext[1] == 'Y')) out.push_back(e.path().filename().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

class RewriteWithIndexes : public ::testing::TestWithParam<std::string> {};

TEST_P(RewriteWithIndexes, carriesEveryIndexWithTheSameEntries) {
    vts::test::TempDir dir;
    const fs::path db = copyFamily(vts::test::fixtures() / GetParam(), dir.path());
    const auto before = pdx::readSecondaryIndexes(db);
    std::vector<std::vector<pdx::IndexEntry>> entriesBefore;
    for (const auto& d : before) entriesBefore.push_back(pdx::readIndexEntries(d));
    const auto filesBefore = indexFilesIn(dir.path());
    const Table t = readAll(db);

    EXPECT_TRUE(rewrite(db, t.info.schema, t.records).empty());

    const auto after = pdx::readSecondaryIndexes(db);
    EXPECT_EQ(indexFilesIn(dir.path()), filesBefore);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(before[i].xFile.filename().string());
        EXPECT_EQ(after[i].fields, before[i].fields);
        EXPECT_EQ(after[i].flags, before[i].flags);
        EXPECT_EQ(after[i].fileType, before[i].fileType);
        EXPECT_EQ(after[i].name, before[i].name);
        const auto entries = pdx::readIndexEntries(after[i]);
        // A table without a key gets its (never maintained) indexes back empty, out of date as its
        // engine leaves them: case.x01 was already, while its table holds a record.
        if (t.info.schema.keyFields == 0) EXPECT_TRUE(entries.empty());
        else EXPECT_EQ(logical(entries), logical(entriesBefore[i]));
        expectEntriesLeadToTheirRecords(db, after[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RewriteWithIndexes,
                         ::testing::Values("db/AREACODES.DB", "db/CUSTOMER.DB", "joins/C.DB", "joins/case.db",
                                           "joins/fk1.db", "joins/fk2.db", "joins/fk3.db", "joins/fk4.db",
                                           "joins/indexed.db", "joins/multiple.db", "joins/to_multiple.db"),
                         [](const ::testing::TestParamInfo<std::string>& p) {
                             std::string n = fs::path(p.param).stem().string();
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

TEST(RewriteWithIndexes, anEditedValueMovesToItsPlace) {
    vts::test::TempDir dir;
    const fs::path db = copyFamily(vts::test::fixtures() / "db/AREACODES.DB", dir.path());
    Table t = readAll(db);
    t.records[0][1] = std::string("zz");  // the index is case-insensitive: after "WY"
    t.records[1][1] = std::string("AA");
    rewrite(db, t.info.schema, t.records);
    const auto d = pdx::readSecondaryIndexes(db).at(0);
    const auto entries = pdx::readIndexEntries(d);
    ASSERT_EQ(entries.size(), t.records.size());
    const auto text = [](const pdx::IndexEntry& e) { return std::string(e.values.begin(), e.values.begin() + 2); };
    EXPECT_EQ(text(entries.back()), "ZZ");  // held upper-cased, as the engine holds it
    EXPECT_EQ(text(entries[36]), "AA");     // after the 36 "--" entries
    expectEntriesLeadToTheirRecords(db, d);
}

TEST(RewriteWithIndexes, aValueItCannotPlaceStopsTheWriteAndLeavesTheTable) {
    vts::test::TempDir dir;
    const fs::path db = copyFamily(vts::test::fixtures() / "db/CUSTOMER.DB", dir.path());
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    for (const auto& e : fs::directory_iterator(dir.path()))
        files.emplace_back(e.path().filename().string(), readBytes(e.path()));
    Table t = readAll(db);
    // Under ANSII850 "Ärlingen" may follow "Aptos" or come after every city: the cities do not say.
    t.records[3][5] = std::string("\xC3\x84rlingen");
    EXPECT_EQ(errorOf([&] { rewrite(db, t.info.schema, t.records); }),
              "the index X06 of CUSTOMER cannot place \"Soquel\" and \"\xC3\x84rlingen\": under the table's sort "
              "order ANSII850 they may come either way round, and its existing order does not tell which");
    std::size_t same = 0;
    for (const auto& [name, bytes] : files) same += readBytes(dir.path() / name) == bytes;
    EXPECT_EQ(same, files.size());
    std::size_t present = 0;  // besides the lock file the writer's lock left
    for (const auto& e : fs::directory_iterator(dir.path())) present += e.path().filename() != ".vts-lock";
    EXPECT_EQ(present, files.size()) << "no debris";
}

TEST(RewriteWithIndexes, anIndexWhoseFieldIsGoneIsDroppedAndSaid) {
    vts::test::TempDir dir;
    const fs::path db = copyFamily(vts::test::fixtures() / "db/CUSTOMER.DB", dir.path());
    Table t = readAll(db);
    t.info.schema.fields.erase(t.info.schema.fields.begin() + 5);
    for (auto& r : t.records) r.erase(r.begin() + 5);
    const auto dropped = rewrite(db, t.info.schema, t.records);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].extension, "X06");
    EXPECT_EQ(dropped[0].reason, "its field \"City\" is no longer in the table");
    EXPECT_TRUE(indexFilesIn(dir.path()).empty());
}

// Single-field indexes are named after their field's number: swapping two fields swaps the names.
TEST(RewriteWithIndexes, singleFieldIndexesFollowTheirFieldsToNewNumbers) {
    vts::test::TempDir dir;
    const fs::path db = copyFamily(vts::test::fixtures() / "joins/C.DB", dir.path());
    Table t = readAll(db);
    std::swap(t.info.schema.fields[1], t.info.schema.fields[2]);
    for (auto& r : t.records) std::swap(r[1], r[2]);
    EXPECT_TRUE(rewrite(db, t.info.schema, t.records).empty());
    const auto after = pdx::readSecondaryIndexes(db);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].extension, "X02");
    EXPECT_EQ(after[0].fields.at(0).name, "B");
    EXPECT_EQ(after[1].extension, "X03");
    EXPECT_EQ(after[1].fields.at(0).name, "A");
    for (const auto& d : after) expectEntriesLeadToTheirRecords(db, d);
}

}  // namespace

namespace {

TEST(RewriteWithIndexes, aMaintainedIndexOfATableThatLostItsKeyIsDroppedAndNamed) {
    const fs::path db = vts::test::fixtures() / "db/CUSTOMER.DB";
    const auto defs = pdx::readSecondaryIndexes(db);
    ASSERT_FALSE(defs.empty());
    ASSERT_TRUE(defs.front().maintained());
    pdx::Schema unkeyed = readAll(db).info.schema;
    unkeyed.keyFields = 0;
    const pdx::IndexPlan plan = pdx::planSecondaryIndexes(defs, unkeyed);
    EXPECT_TRUE(plan.kept.empty());
    ASSERT_EQ(plan.dropped.size(), defs.size());
    EXPECT_NE(plan.dropped.front().reason.find("no key"), std::string::npos) << plan.dropped.front().reason;
}

}  // namespace
