// A working table written back as a Paradox table: the recorded structure, what is carried over
// from the table it replaces, and failures.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/support/error_of.h"

#include "db_test_support.h"
#include "tests/support/file_contents.h"
#include "platform/db/jet_types.h"
#include "platform/db/paradox_table.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/io/family_signature.h"
#include "platform/pdx/read/reader.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

using Rows = std::vector<std::vector<pdx::Value>>;

Rows readParadox(const fs::path& folder, const std::string& name, pdx::Schema* schema = nullptr) {
    const auto table = db::openParadoxTable(folder, name);
    if (schema) *schema = *table->sourceSchema();
    Rows rows;
    for (; !table->eof(); table->moveNext()) {
        auto& row = rows.emplace_back();
        for (std::size_t i = 0; i < table->columns().size(); ++i) row.push_back(table->value(static_cast<int>(i)));
    }
    return rows;
}

// What the import does, in short: the working table from the Paradox table, and its structure.
void importTable(db::Connection& work, const fs::path& folder, const std::string& name) {
    const auto table = db::openParadoxTable(folder, name);
    const auto schema = *table->sourceSchema();
    std::vector<std::pair<std::string, db::JetType>> columns;
    for (const auto& f : schema.fields) columns.emplace_back(f.name, db::jetTypeOf(f.type));
    work.CreateTable(name, columns);
    work.RecordSourceStructure(name, schema);
    work.BeginTrans();
    std::vector<pdx::Value> values(columns.size());
    for (; !table->eof(); table->moveNext()) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto& v = table->value(static_cast<int>(i));
            const bool bytes = std::holds_alternative<pdx::Bytes>(v);
            values[i] = pdx::toText(v).empty() && !bytes ? pdx::Value{} : bytes ? v : pdx::Value(pdx::toText(v));
        }
        work.InsertRow(name, values);
    }
    work.CommitTrans();
}

db::SelectInto selectInto(const std::string& name, const fs::path& folder, std::int64_t top) {
    return {top, folder.string(), name, name};
}

// The write-back's copy of the whole table.
void writeBack(db::Connection& work, const fs::path& folder, const std::string& name) {
    work.WriteParadoxTable(selectInto(name, folder, work.RowCount(name)));
}

std::map<std::string, std::string> folderContents(const fs::path& dir) {
    std::map<std::string, std::string> out;
    for (const auto& f : filesIn(dir)) out[f] = vts::test::readFile(dir / f);
    return out;
}

struct SelectIntoTest : ::testing::Test {
    TempDir paradox, app;
    db::Connection work;
    void SetUp() override { work.Open(workingString(app)); }
};

}  // namespace

TEST_F(SelectIntoTest, RecordedStructureIsReusedAndExactlyOneTableRemains) {
    copyTable("db", "CUSTOMER", paradox.path());
    for (const auto& f : filesIn(paradox.path()))  // the old table in mixed case
        fs::rename(paradox.path() / f, paradox.path() / ("Customer" + f.substr(8)));
    pdx::Schema original;
    const auto before = readParadox(paradox.path(), "CUSTOMER", &original);
    importTable(work, paradox.path(), "CUSTOMER");
    sqlite(app, "UPDATE `CUSTOMER` SET `LastName` = 'Zürich' WHERE `CustNo` = 3");
    writeBack(work, paradox.path(), "CUSTOMER");

    // Every file keeps its name, the secondary index on City included.
    EXPECT_EQ(filesIn(paradox.path()),
              (std::vector<std::string>{"Customer.DB", "Customer.MB", "Customer.PX", "Customer.X06", "Customer.Y06"}));
    pdx::Schema written;
    auto after = readParadox(paradox.path(), "CUSTOMER", &written);
    EXPECT_EQ(written, original);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(pdx::toText(after[2][2]), "Zürich");
    after[2][2] = before[2][2];
    EXPECT_EQ(after, before);
}

// City is indexed under ANSII850, whose collation the engine does not implement: a value the
// index did not hold cannot be placed, so the write stops and the table stays as it was.
TEST_F(SelectIntoTest, AnIndexedValueTheSortOrderCannotPlaceIsRefused) {
    copyTable("db", "CUSTOMER", paradox.path());
    const auto before = folderContents(paradox.path());
    importTable(work, paradox.path(), "CUSTOMER");
    sqlite(app, "UPDATE `CUSTOMER` SET `City` = 'Ärlingen' WHERE `CustNo` = 3");
    const std::string why = vts::test::errorOf([&] { writeBack(work, paradox.path(), "CUSTOMER"); });
    EXPECT_NE(why.find("X06"), std::string::npos) << why;
    EXPECT_NE(why.find("ANSII850"), std::string::npos) << why;
    EXPECT_EQ(folderContents(paradox.path()), before);
}

TEST_F(SelectIntoTest, EveryFieldTypeSurvivesTheRoundTrip) {
    for (const char* name :
         {"bcd", "bytes", "date7", "logical", "long", "memo", "fmemo", "graphic", "time", "timestamp"}) {
        TempDir folder;
        copyTable("fields", name, folder.path());
        pdx::Schema original, written;
        const auto before = readParadox(folder.path(), name, &original);
        importTable(work, folder.path(), name);
        writeBack(work, folder.path(), name);
        EXPECT_EQ(readParadox(folder.path(), name, &written), before) << name;
        EXPECT_EQ(written, original) << name;
    }
}

TEST_F(SelectIntoTest, ValidityFileIsKeptWhenTheFieldsAreUnchanged) {
    copyTable("db", "AREACODE", paradox.path());
    const auto oldVal = vts::test::readFile(paradox.path() / "AREACODE.VAL");
    const auto oldStamp = pdx::TableReader(paradox.path() / "AREACODE.DB").info().changeCount2;
    importTable(work, paradox.path(), "AREACODE");
    writeBack(work, paradox.path(), "AREACODE");
    const auto files = filesIn(paradox.path());
    EXPECT_EQ(files, (std::vector<std::string>{"AREACODE.DB", "AREACODE.PX", "AREACODE.VAL"}));
    EXPECT_EQ(vts::test::readFile(paradox.path() / "AREACODE.VAL"), oldVal);
    EXPECT_EQ(pdx::TableReader(*pdx::findTable(paradox.path(), "AREACODE")).info().changeCount2, oldStamp);
}

TEST_F(SelectIntoTest, ChangedColumnsGetADerivedStructureAndNoValidityFile) {
    copyTable("db", "AREACODE", paradox.path());
    importTable(work, paradox.path(), "AREACODE");
    sqlite(app, "ALTER TABLE `AREACODE` ADD COLUMN `Extra` INT");
    writeBack(work, paradox.path(), "AREACODE");
    EXPECT_EQ(filesIn(paradox.path()), std::vector<std::string>{"AREACODE.DB"});
    pdx::Schema written;
    const auto rows = readParadox(paradox.path(), "AREACODE", &written);
    EXPECT_EQ(rows.size(), 135u);
    EXPECT_EQ(written.keyFields, 0);
    EXPECT_EQ(written.codePage, 1252);
    EXPECT_EQ(written.sortOrderId, "DBWINUS0");
    ASSERT_EQ(written.fields.size(), 5u);
    EXPECT_EQ(written.fields[0], (pdx::Field{"Area Code", pdx::FieldType::Alpha, 3}));
    EXPECT_EQ(written.fields[4], (pdx::Field{"Extra", pdx::FieldType::Long, 4}));
}

TEST_F(SelectIntoTest, DerivedTypesFollowTheData) {
    work.CreateTable("NEW", {{"I", db::JetType::Int},
                             {"BIG", db::JetType::Int},
                             {"F", db::JetType::Float},
                             {"D", db::JetType::Decimal},
                             {"DAY", db::JetType::DateTime},
                             {"AT", db::JetType::DateTime},
                             {"S", db::JetType::Text},
                             {"LONGTEXT", db::JetType::Text},
                             {"M", db::JetType::Memo},
                             {"O", db::JetType::OleObject}});
    const std::string longText(300, 'x');
    using S = std::string;
    work.InsertRow("NEW", {S("1"), S("5000000000"), S("1.5"), S("-123.4500"), S("2021-08-31"), S("2021-08-31 10:00:00"),
                           S("héllo"), longText, S("memo"), pdx::Bytes{1, 2}});
    work.InsertRow("NEW", {pdx::Value{}, S("-3"), pdx::Value{}, S("99999999999999999999.5"), pdx::Value{},
                           S("2021-09-01"), S("a"), pdx::Value{}, pdx::Value{}, pdx::Value{}});
    work.WriteParadoxTable(selectInto("NEW", paradox.path(), 2));
    pdx::Schema s;
    const auto rows = readParadox(paradox.path(), "NEW", &s);
    using T = pdx::FieldType;
    const std::vector<std::pair<T, int>> expected{{T::Long, 4},  {T::Number, 8},    {T::Number, 8}, {T::Bcd, 4},
                                                  {T::Date, 4},  {T::Timestamp, 8}, {T::Alpha, 5},  {T::Memo, 11},
                                                  {T::Memo, 11}, {T::Binary, 10}};
    ASSERT_EQ(s.fields.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(s.fields[i].type, expected[i].first) << s.fields[i].name;
        EXPECT_EQ(s.fields[i].size, expected[i].second) << s.fields[i].name;
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(pdx::toText(rows[0][1]), "5000000000");
    EXPECT_EQ(pdx::toText(rows[0][3]), "-123.4500");
    EXPECT_EQ(pdx::toText(rows[1][3]), "99999999999999999999.5000");
    EXPECT_EQ(pdx::toText(rows[0][5]), "2021-08-31 10:00:00");
    EXPECT_EQ(pdx::toText(rows[0][6]), "héllo");
    EXPECT_EQ(pdx::toText(rows[0][7]), longText);
    EXPECT_EQ(rows[0][9], pdx::Value(pdx::Bytes{1, 2}));
}

TEST_F(SelectIntoTest, TopTakesTheFirstRowsInRowidOrderAndZeroGivesAnEmptyTable) {
    work.CreateTable("N", {{"A", db::JetType::Int}});
    for (int i = 1; i <= 5; ++i) work.InsertRow("N", {std::to_string(i * 10)});
    work.WriteParadoxTable(selectInto("N", paradox.path(), 3));
    const auto rows = readParadox(paradox.path(), "N");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][0], pdx::Value(std::int64_t{30}));
    TempDir empty;
    work.WriteParadoxTable(selectInto("N", empty.path(), 0));
    pdx::Schema s;
    EXPECT_TRUE(readParadox(empty.path(), "N", &s).empty());
    EXPECT_EQ(s.fields.size(), 1u);
}

TEST_F(SelectIntoTest, InjectedWriteFailureRestoresTheTableAndARetrySucceeds) {
    copyTable("db", "CUSTOMER", paradox.path());
    const auto original = folderContents(paradox.path());
    importTable(work, paradox.path(), "CUSTOMER");
    for (int failAt : {1, 3, 6}) {
        int writes = 0;
        work.SetBeforeWrite([&] {
            if (++writes == failAt) throw pdx::Error("simulated disk failure");
        });
        try {
            work.WriteParadoxTable(selectInto("CUSTOMER", paradox.path(), 20));
            ADD_FAILURE() << "no failure at write " << failAt;
        } catch (const vts::Error& e) {
            EXPECT_NE(std::string(e.what()).find("simulated disk failure"), std::string::npos) << e.what();
        }
        EXPECT_EQ(folderContents(paradox.path()), original) << "failure at write " << failAt;
    }
    work.SetBeforeWrite({});
    writeBack(work, paradox.path(), "CUSTOMER");
    EXPECT_EQ(readParadox(paradox.path(), "CUSTOMER").size(), 20u);
}

// Dropping and rewriting a table is one replacement: the copy replaces a table in place whole.
TEST_F(SelectIntoTest, ATableInPlaceIsReplacedWhole) {
    copyTable("db", "CUSTOMER", paradox.path());
    importTable(work, paradox.path(), "CUSTOMER");
    work.WriteParadoxTable(selectInto("CUSTOMER", paradox.path(), 20));
    EXPECT_EQ(filesIn(paradox.path()),
              (std::vector<std::string>{"CUSTOMER.DB", "CUSTOMER.MB", "CUSTOMER.PX", "CUSTOMER.X06", "CUSTOMER.Y06"}));
    EXPECT_EQ(readParadox(paradox.path(), "CUSTOMER").size(), 20u);
}

// Someone saves the table in place while its rows are being written (after its checksum was taken,
// as a rule) and sets the file's time back: the write stops before replacing it, whether the rows
// come from the working table or, untouched, from the table itself.
TEST_F(SelectIntoTest, ASaveWhileTheRowsAreWrittenIsSeen) {
    for (const bool rowsFromTheTable : {false, true}) {
        SCOPED_TRACE(rowsFromTheTable ? "rows from the table" : "rows from the working table");
        TempDir folder, appFolder;
        db::Connection w;
        w.Open(workingString(appFolder));
        copyTable("fields", "memo", folder.path());
        const fs::path file = folder.path() / "memo.db";
        importTable(w, folder.path(), "memo");
        if (rowsFromTheTable) w.SetImportedRows("memo", w.RowCount("memo"));
        auto into = selectInto("memo", folder.path(), w.RowCount("memo"));
        into.expected = pdx::familySignature(folder.path(), "memo");
        const std::string before = vts::test::readFile(file);
        std::string theirs = before;
        theirs.back() ^= 1;
        w.SetRowWritten([&](long done) {
            if (done != 1) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const auto time = fs::last_write_time(file);
            std::ofstream(file, std::ios::binary | std::ios::trunc) << theirs;
            fs::last_write_time(file, time);
        });
        EXPECT_THROW(w.WriteParadoxTable(into), vts::TableChanged);
        EXPECT_EQ(vts::test::readFile(file), theirs);
    }
}

TEST_F(SelectIntoTest, AValueThatDoesNotFitNamesRowAndFieldAndChangesNothing) {
    copyTable("db", "CUSTOMER", paradox.path());
    const auto original = folderContents(paradox.path());
    struct Case {
        std::string update, field, row;
    };
    for (const Case& c : {Case{"`DateEntered` = 'abc' WHERE `CustNo` = 4", "\"DateEntered\"", "row 4,"},
                          Case{"`City` = '" + std::string(16, 'c') + "' WHERE `CustNo` = 2", "\"City\"", "row 2,"},
                          Case{"`CustNo` = 'x' WHERE `CustNo` = 7", "\"CustNo\"", "row 7,"}}) {
        if (work.TableExists("CUSTOMER")) work.DropTable("CUSTOMER");
        importTable(work, paradox.path(), "CUSTOMER");
        sqlite(app, "UPDATE `CUSTOMER` SET " + c.update);
        try {
            work.WriteParadoxTable(selectInto("CUSTOMER", paradox.path(), 20));
            ADD_FAILURE() << c.update;
        } catch (const vts::Error& e) {
            const std::string what = e.what();
            std::string lower = what;
            for (auto& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
            EXPECT_NE(lower.find(c.row), std::string::npos) << what;
            EXPECT_NE(what.find(c.field), std::string::npos) << what;
        }
        EXPECT_EQ(folderContents(paradox.path()), original) << c.update;
    }
}

// The rows are read a few batches ahead of the writer: the error comes at its own row, also at
// and after a batch's edge, and nothing is installed.
TEST_F(SelectIntoTest, IntegersBeyondExactDoublesAreRefusedAtTheirRow) {
    for (const int bad : {1, 2, 256, 257, 600}) {
        if (work.TableExists("N")) work.DropTable("N");
        work.CreateTable("N", {{"A", db::JetType::Int}});
        for (int row = 1; row <= 600; ++row)
            work.InsertRow("N", {std::string(row == bad ? "9007199254740993" : std::to_string(row))});
        try {
            work.WriteParadoxTable(selectInto("N", paradox.path(), 600));
            ADD_FAILURE() << bad;
        } catch (const vts::Error& e) {
            const std::string at = "Row " + std::to_string(bad) + ", field \"A\"";
            EXPECT_NE(std::string(e.what()).find(at), std::string::npos) << e.what();
        }
        EXPECT_TRUE(filesIn(paradox.path()).empty()) << bad;
    }
}

TEST_F(SelectIntoTest, MissingFolderOrWorkingTable) {
    EXPECT_THROW(work.WriteParadoxTable(selectInto("N", paradox.path() / "gone", 0)), vts::Error);
    EXPECT_THROW(work.WriteParadoxTable(selectInto("N", paradox.path(), 0)), vts::Error);
    EXPECT_TRUE(filesIn(paradox.path()).empty());
}
