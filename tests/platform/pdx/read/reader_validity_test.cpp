// Validity checks: the picture language, and the .VAL files the engine wrote.
#include <gtest/gtest.h>

#include "platform/pdx/format/picture.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/read/validity_checks.h"
#include "tests/platform/pdx/pdx_test_support.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/temp_dir.h"

using namespace pdxtest;

namespace {

TEST(Picture, FitsTextTheWayTheEngineDoes) {
    const std::optional<std::string> no;
    const struct {
        const char* picture;
        const char* text;
        std::optional<std::string> fitted;
    } cases[] = {
        {"#####[-####]", "12345", "12345"},
        {"#####[-####]", "12345-6789", "12345-6789"},
        {"#####[-####]", "123456789", "12345-6789"},  // the constant filled in
        {"#####[-####]", "ABCDE", no},
        {"#####[-####]", "1234", no},
        {"###-###{#,-####}", "555-1234", "555-1234"},
        {"###-###{#,-####}", "not a phone", no},
        {"&&", "ca", "CA"},
        {"&&", "c1", no},
        {"~~", "AB", "ab"},
        {"{Yes,No}", "y", "Yes"},
        {"{Yes,No}", "no", "No"},
        {"{Yes,No}", "maybe", no},
        {"[(*3{#}) ]*3{#}-*4{#}", "555-1234", "555-1234"},
        {"[(*3{#}) ]*3{#}-*4{#}", "(408) 555-1234", "(408) 555-1234"},
        {"[(*3{#}) ]*3{#}-*4{#}", "4085551234", "(408) 555-1234"},
        {"(408)###-####", "5551234", "(408)555-1234"},
        {"*!", "abc é", "ABC É"},
        {"#&#&#&", "1a2b3c", "1A2B3C"},
        {";#@", "#x", "#x"},
        {"###", "1234", no},
        {"{Mr,Mrs,Ms}", "Ms", "Ms"},  // as typed before anything is filled in
        {"{Mr,Mrs,Ms}", "mrs", "Mrs"},
        {"*{ab,a}b", "ababab", "ababab"},
    };
    for (const auto& c : cases) EXPECT_EQ(pdx::Picture(c.picture).fit(c.text), c.fitted) << c.picture << " " << c.text;
}

TEST(Picture, MalformedOrIntricatePicturesAreErrorsNotHangs) {
    for (const char* bad : {"[##", "##]", "{a,b", "*", "#;"}) EXPECT_THROW(pdx::Picture{bad}, pdx::Error) << bad;
    // Every split of the ones into # and ## is tried before the b fails: the budget ends it.
    EXPECT_THROW(pdx::Picture("*{#,##}x").fit(std::string(60, '1') + "b"), pdx::Error);
    // Deep repeats end at the depth budget, long texts before the search: never a stack overflow.
    EXPECT_THROW(pdx::Picture("*200*200x").fit("x"), pdx::Error);
    EXPECT_THROW(pdx::Picture("*#").fit(std::string(32767, '1')), pdx::Error);
    EXPECT_EQ(pdx::Picture("*#").fit(std::string(255, '1')), std::string(255, '1'));
    // Filled in two ways is no fit: the user types more.
    EXPECT_THROW(pdx::Picture("{Jun,Jul}").fit("Ju"), pdx::Error);
}

pdx::ValidityChecks checksOf(const fs::path& db) {
    const pdx::TableInfo info = pdx::TableReader(db).info();
    return pdx::readValidityChecks(db, info.schema, info.changeCount2);
}

TEST(ValidityChecks, ReadAsTheEngineWroteThem) {
    const auto areas = checksOf(fixture("db/AREACODE.DB"));
    EXPECT_EQ(areas.fields.at(0).picture, "###");
    EXPECT_EQ(areas.fields.at(3).picture, "&&");
    EXPECT_TRUE(areas.notEnforced.empty());

    const auto logical = checksOf(fixture("fields/logical.db")).fields.at(0);
    EXPECT_TRUE(logical.required);
    EXPECT_EQ(logical.defaultValue, pdx::Value(true));

    const auto kisi = checksOf(vts::test::wildFixtures() / "delphibook/kisiex.DB");
    EXPECT_EQ(kisi.fields.at(6).minimum, pdx::Value(0.0));  // Maas, a currency
    EXPECT_TRUE(pdx::isNull(kisi.fields.at(6).maximum));
    EXPECT_TRUE(kisi.fields.at(1).required && kisi.fields.at(2).required && !kisi.fields.at(6).required);

    // Entries name fields by position, though the footer's field numbers have gaps.
    EXPECT_TRUE(checksOf(vts::test::wildFixtures() / "delphibook/TAKSIT.DB").fields.at(1).required);
    EXPECT_EQ(checksOf(fixture("joins/multiple.db")).fields.at(2).picture, "[(*3{#}) ]*3{#}-*4{#}");
}

TEST(ValidityChecks, WhatIsNotEnforcedIsNamed) {
    const auto hasNote = [](const fs::path& db, const std::string& part) {
        const auto notes = checksOf(db).notEnforced;
        return std::any_of(notes.begin(), notes.end(),
                           [&](const auto& n) { return n.find(part) != std::string::npos; });
    };
    EXPECT_TRUE(hasNote(fixture("joins/joinb.db"), "lookup of \"Id\" in the table joina.db"));
    EXPECT_TRUE(hasNote(vts::test::wildFixtures() / "electro-store/Categorias.DB", "referential integrity"));
}

// A stale or damaged .VAL gives no checks and a note, whatever its bytes: never a throw.
TEST(ValidityChecks, StaleOrDamagedFilesAreNotedNotObeyed) {
    vts::test::TempDir dir;
    const fs::path db = vts::test::copyFamily(fixture("db"), "AREACODE", dir.path());
    const fs::path val = dir / "AREACODE.VAL";
    const auto original = readBytes(val);
    writeBytes(dir / "areacode.val", original);  // two of them: which one holds is not known
    EXPECT_TRUE(checksOf(db).fields.empty());
    EXPECT_EQ(checksOf(db).notEnforced.size(), 1u);
    fs::remove(dir / "areacode.val");
    auto stale = original;
    stale[0] ^= 1;
    writeBytes(val, stale);
    EXPECT_TRUE(checksOf(db).fields.empty());
    EXPECT_NE(checksOf(db).notEnforced.at(0).find("earlier structure"), std::string::npos);
    constexpr std::size_t kFieldTypesEnd = 0x8A;  // the footer's names after them are not read
    for (std::size_t n = 0; n < kFieldTypesEnd; n += 3) {
        writeBytes(val, {original.begin(), original.begin() + static_cast<std::ptrdiff_t>(n)});
        const auto cut = checksOf(db);
        EXPECT_TRUE(cut.fields.empty() && cut.notEnforced.size() == 1) << n;
    }
}

}  // namespace
