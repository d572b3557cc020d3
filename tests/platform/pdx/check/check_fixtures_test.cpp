// The checker on sound tables: every fixture family and the writer's own output (trees of one to
// four levels, blobs in both kinds of .MB block) check without a fault; what cannot be checked
// is said as such.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/pdx/check/table_check.h"
#include "platform/pdx/protect/table_cipher.h"
#include "tests/platform/pdx/check/check_test_support.h"
#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;
using pdx::CheckFinding;
using pdx::FieldType;

std::size_t filesWithExtension(const pdx::TableCheckResult& r, const std::string& ext) {
    return static_cast<std::size_t>(std::count_if(
        r.files.begin(), r.files.end(), [&](const fs::path& p) { return lower(p.extension().string()) == ext; }));
}

class EveryTable : public ::testing::TestWithParam<fs::path> {};

TEST_P(EveryTable, ChecksClean) {
    if (const auto why = vts::test::knownFailure(vts::test::kCheckerKnownFailures, GetParam())) GTEST_SKIP() << *why;
    const pdx::TableCheckResult r = pdx::checkTable(GetParam());
    EXPECT_TRUE(r.clean()) << listing(r);
    EXPECT_FALSE(r.passwordProtected);
    // The only notes: orders under collations the engine does not reproduce, and block numbers
    // of index entries that the engine's own tables leave behind.
    for (const CheckFinding& f : r.findings) {
        if (f.kind != CheckFinding::Kind::Note) continue;
        EXPECT_TRUE(f.what.find("is not checked") != std::string::npos ||
                    f.what.find("is not maintained") != std::string::npos ||
                    f.what.find("no longer in") != std::string::npos)
            << pdx::formatFinding(f);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EveryTable, ::testing::ValuesIn(fixtureTables()),
                         [](const auto& info) { return vts::test::fixtureName(info.param); });

TEST(CheckFixtures, CompanionFilesAreAllLookedAt) {
    const auto customer = pdx::checkTable(fixture("db/CUSTOMER.DB"));
    EXPECT_EQ(customer.records, 20u);
    EXPECT_EQ(customer.blocks, 4u);
    for (const char* ext : {".db", ".mb", ".px", ".x06", ".y06"})
        EXPECT_EQ(filesWithExtension(customer, ext), 1u) << ext;
    const auto areacodes = pdx::checkTable(fixture("db/AREACODES.DB"));
    EXPECT_EQ(filesWithExtension(areacodes, ".xg0"), 1u);
    EXPECT_EQ(filesWithExtension(areacodes, ".yg0"), 1u);
}

TEST(CheckFixtures, OrdersTheEngineDoesNotReproduceAreNotedNotFaulted) {
    // HERCULES has a text key under ANSII850: its key order is a note. CUSTOMER's key is a number
    // (checked), the text index on City a note.
    const auto hercules = pdx::checkTable(fixture("db/HERCULES.DB"));
    ASSERT_TRUE(hercules.clean()) << listing(hercules);
    EXPECT_NE(listing(hercules).find("HERCULES.DB: note: the order of the keys under the sort order \"ANSII850\""),
              std::string::npos)
        << listing(hercules);
    const auto r = pdx::checkTable(fixture("db/CUSTOMER.DB"));
    ASSERT_TRUE(r.clean()) << listing(r);
    const std::string text = listing(r);
    EXPECT_EQ(text.find("CUSTOMER.DB: note"), std::string::npos) << text;
    EXPECT_NE(text.find("CUSTOMER.X06: note:"), std::string::npos) << text;
    // ORDERS ("ascii") is checked in full: nothing to note.
    EXPECT_TRUE(pdx::checkTable(fixture("db/ORDERS.DB")).findings.empty());
}

TEST(CheckFixtures, AStaleIndexThatIsNotMaintainedIsANote) {
    // case.x01 is a non-maintained index left empty while its table gained a record.
    const auto r = pdx::checkTable(fixture("joins/case.db"));
    EXPECT_TRUE(r.clean()) << listing(r);
    EXPECT_NE(listing(r).find("case.x01: note: this index is not maintained"), std::string::npos) << listing(r);
}

// With its password a protected family (blocks, blobs, primary index) is checked like any other;
// without it, or with a wrong one, the check says so and goes no further.
TEST(CheckFixtures, PasswordProtectedTablesAreCheckedWithTheirPassword) {
    const std::pair<fs::path, std::string> tables[] = {{fixture("encrypt/encrypted.db"), "123"},
                                                       {fixture("encrypt/encrypted35.db"), "123"},
                                                       {fixture("encrypt/encryptedmemo.db"), "123"},
                                                       {vts::test::wildFixtures() / "delphibook/sifreli.db", "deneme"}};
    for (const auto& [db, password] : tables) {
        for (const char* wrong : {"", "12"}) {
            const auto r = pdx::checkTable(db, wrong);
            EXPECT_TRUE(r.passwordProtected) << db;
            ASSERT_EQ(r.faults, 1u) << listing(r);
            EXPECT_NE(r.findings[0].what.find(*wrong ? "the password is not" : "password-protected"), std::string::npos)
                << listing(r);
            EXPECT_EQ(r.findings[0].where.file, db);
        }
        const auto r = pdx::checkTable(db, password);
        EXPECT_TRUE(r.clean() && r.findings.empty() && r.records > 0) << db << "\n" << listing(r);
    }
    // Damage under the scrambling is found: a block's record count out of range.
    vts::test::TempDir tmp;
    const fs::path db = copyFamily(fixture("encrypt/encrypted35.db"), tmp.path());
    auto bytes = readBytes(db);
    const std::uint32_t key = pdx::loadLE32(bytes.data() + 0x25);
    const std::span block(bytes.data() + pdx::loadLE16(bytes.data() + 0x02), 2048);
    pdx::decryptBlock(block, key, 1);
    block[5] = 0x70;
    pdx::encryptBlock(block, key, 1);
    writeBytes(db, bytes);
    EXPECT_NE(listing(pdx::checkTable(db, "123")).find("record count in the block header is invalid"),
              std::string::npos);
}

TEST(CheckFixtures, FilesThatCannotBeOpenedGiveOneFault) {
    vts::test::TempDir tmp;
    fs::create_directory(tmp / "folder.db");
    std::ofstream(tmp / "empty.db").close();
    for (const char* name : {"missing.db", "folder.db", "empty.db"}) {
        const auto r = pdx::checkTable(tmp / name);
        ASSERT_EQ(r.findings.size(), 1u) << name << "\n" << listing(r);
        EXPECT_EQ(r.faults, 1u);
        EXPECT_EQ(r.findings[0].where.file, tmp / name);
    }
}

// The writer's tables check clean too, over every depth of primary index it builds.
TEST(CheckFixtures, WrittenTablesCheckCleanAtEveryTreeDepth) {
    vts::test::TempDir tmp;
    pdx::Schema wide;
    wide.fields = {{"Id", FieldType::Long, 4}, {"Pad", FieldType::Alpha, 200}};
    wide.keyFields = 1;
    std::vector<pdx::Record> rows;
    for (int i = 0; i < 5000; ++i) rows.push_back({std::int64_t{3 * i + 1}, std::string("row ") + std::to_string(i)});
    writeAll(tmp.path(), "BIG", wide, rows);  // 500 blocks: a 2-level index

    pdx::Schema deep;
    for (const char* name : {"K1", "K2", "K3", "K4"}) deep.fields.push_back({name, FieldType::Alpha, 250});
    deep.keyFields = 4;
    rows.clear();
    for (int i = 0; i < 200; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "%05d", i);
        rows.push_back({std::string("k"), std::string(key), std::string(200, 'x'), std::string("z")});
    }
    writeAll(tmp.path(), "DEEP", deep, rows);  // 1006-byte keys: 4 levels

    for (const char* name : {"BIG.db", "DEEP.db"}) {
        const auto r = pdx::checkTable(tmp / name);
        EXPECT_TRUE(r.findings.empty()) << listing(r);
    }
    EXPECT_EQ(pdx::checkTable(tmp / "BIG.db").records, 5000u);
}

TEST(CheckFixtures, WrittenBlobsCheckClean) {
    vts::test::TempDir tmp;
    pdx::Schema s;
    s.fields = {{"Id", FieldType::AutoInc, 4}, {"Memo", FieldType::Memo, 20}, {"Pic", FieldType::Graphic, 10}};
    s.keyFields = 1;
    std::vector<pdx::Record> rows;
    for (int i = 0; i < 40; ++i) {
        pdx::Bytes pic = {1, 0, 0, 1};
        const std::uint32_t payload = static_cast<std::uint32_t>(100 * i + 3000 * (i % 3));
        for (int b = 0; b < 4; ++b) pic.push_back(static_cast<std::uint8_t>(payload >> (8 * b)));
        pic.resize(pic.size() + payload, static_cast<std::uint8_t>(i));
        rows.push_back({std::int64_t{i + 1}, std::string(static_cast<std::size_t>(i * 70), 'm'), pic});
    }
    writeAll(tmp.path(), "BLOBS", s, rows);
    const auto r = pdx::checkTable(tmp / "BLOBS.db");
    EXPECT_TRUE(r.findings.empty()) << listing(r);
    EXPECT_EQ(filesWithExtension(r, ".mb"), 1u);
}

}  // namespace
