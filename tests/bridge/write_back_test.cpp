// The write-back on its successful path: statement texts, target folder, row count, the file
// name's letter case, the grid and flag hooks, and a table already gone from the folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/file_contents.h"
#include "tests/support/fixture_copy.h"
#include "bridge/paradox.h"
#include "bridge_env.h"
#include "tests/support/replace_debris.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/read/reader.h"

namespace vts::test {
namespace {

using pdx::FieldType;

struct Hooks {
    int released = 0;
    int done = 0;
    std::string tableAtRelease;  // the Paradox table's values when the grid let go
    WriteBackHooks make(const BridgeEnv& env) {
        return {[this, &env] {
                    ++released;
                    const auto t = readTable(env.paradoxFolder / "CUSTOMER.db");
                    tableAtRelease = std::get<std::string>(t.records.at(0).at(1));
                },
                [this] { ++done; },
                {}};
    }
};

pdx::Schema numberAndText() {
    pdx::Schema s;
    s.fields = {{"N", FieldType::Long, 4}, {"S", FieldType::Alpha, 10}};
    return s;
}

TEST(WriteBack, HooksInOrderAndResult) {
    BridgeEnv env;
    writeTable(env.paradoxFolder, "CUSTOMER", numberAndText(), {{std::int64_t{1}, std::string("a")}});
    ImportParadoxTable(env.ctx, "CUSTOMER");
    env.edit("CUSTOMER", "UPDATE " + env.working("CUSTOMER") + " SET S = 'b'");
    Hooks hooks;
    SaveTableToParadox(env.ctx, "CUSTOMER", hooks.make(env));
    EXPECT_EQ(hooks.released, 1);
    EXPECT_EQ(hooks.tableAtRelease, "b");  // the grid lets go only once the table is written
    EXPECT_EQ(hooks.done, 1);
    EXPECT_EQ(env.ends, 1);
    EXPECT_FALSE(WorkingTableExists(env.ctx, WorkingTableName(env.folderText, "CUSTOMER")));
    // The "//..." target is the same folder: the table landed where it came from.
    const auto written = readTable(env.paradoxFolder / "CUSTOMER.db");
    ASSERT_EQ(written.records.size(), 1u);
    EXPECT_EQ(written.records[0][1], pdx::Value(std::string("b")));
    EXPECT_TRUE(replaceDebris(env.paradoxFolder).empty());
}

TEST(WriteBack, ReportsRowsWrittenOfTheRowCount) {
    BridgeEnv env;
    std::vector<pdx::Record> rows;
    for (int i = 0; i < 1234; ++i) rows.push_back({std::int64_t{i}, std::string("r")});
    writeTable(env.paradoxFolder, "BIG", numberAndText(), rows);
    ImportParadoxTable(env.ctx, "BIG");
    std::vector<std::pair<long, long>> calls;
    WriteBackHooks hooks;
    hooks.progress = [&](long done, long total) { calls.emplace_back(done, total); };
    env.edit("BIG", "SELECT 1");  // written again, not left as it is
    SaveTableToParadox(env.ctx, "BIG", hooks);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), std::make_pair(1234L, 1234L));
    EXPECT_TRUE(std::is_sorted(calls.begin(), calls.end()));
    EXPECT_EQ(readTable(env.paradoxFolder / "BIG.db").records, rows);
}

// CUSTOMER's counter stands above its highest CustNo: deleted customers' numbers stay used.
TEST(WriteBack, KeepsTheAutoincrementCounterOfTheTableItReplaces) {
    BridgeEnv env;
    copyFamily(fixtures() / "db", "CUSTOMER", env.paradoxFolder);
    const auto before = pdx::TableReader(fixtures() / "db" / "CUSTOMER.DB").info().autoIncCounter;
    ImportParadoxTable(env.ctx, "CUSTOMER");
    env.edit("CUSTOMER", "SELECT 1");  // written again, not left as it is
    SaveTableToParadox(env.ctx, "CUSTOMER", {});
    EXPECT_EQ(pdx::TableReader(tableFile(env.paradoxFolder / "CUSTOMER.db")).info().autoIncCounter, before);
    EXPECT_GT(before, 20u);
}

// CP1252 leaves 0x81 undefined; such a byte is shown as a mark of its own and saved as itself.
TEST(WriteBack, AByteTheCodePageLeavesUndefinedIsWrittenBackAsItself) {
    BridgeEnv env;
    pdx::Schema schema = numberAndText();
    schema.codePage = 1252;
    writeTable(env.paradoxFolder, "ODD", schema, {{std::int64_t{1}, std::string("X\xEF\x9E\x81X")}});
    const std::string bytes = readFile(env.paradoxFolder / "ODD.db");
    ASSERT_NE(bytes.find("X\x81X"), std::string::npos);
    // The row copied from the table as it is, and the row read back out of the working table.
    for (const std::string& touch : {std::string("SELECT 1"), "UPDATE " + env.working("ODD") + " SET N = N"}) {
        ImportParadoxTable(env.ctx, "ODD");
        env.edit("ODD", touch);
        SaveTableToParadox(env.ctx, "ODD", {});
        EXPECT_EQ(readTable(env.paradoxFolder / "ODD.db").records[0][1], pdx::Value(std::string("X\xEF\x9E\x81X")))
            << touch;
    }
}

// The rows no change touched are written as the table's own records, the others out of the
// working table; a table whose changes were not noted is written all out of the working table.
// (What is done to the notes here stands in for what only a fault could do to them.)
TEST(WriteBack, RowsNoChangeTouchedComeFromTheTableItself) {
    struct Case {
        const char* afterEdit;
        const char* written;
    };
    for (const Case& c : {Case{"SELECT 1", "b"}, Case{"DELETE FROM \"vts/touched/$table\"", "a"},
                          Case{"DROP TRIGGER \"vts/touched/$table/update\"", "b"}}) {
        BridgeEnv env;
        writeTable(env.paradoxFolder, "T", numberAndText(),
                   {{std::int64_t{1}, std::string("a")}, {std::int64_t{2}, std::string("z")}});
        ImportParadoxTable(env.ctx, "T");
        env.edit("T", "UPDATE " + env.working("T") + " SET S = 'b' WHERE N = 1");
        std::string sql = c.afterEdit;
        if (auto at = sql.find("$table"); at != std::string::npos)
            sql.replace(at, 6, WorkingTableName(env.folderText, "T"));
        env.edit("T", sql);
        SaveTableToParadox(env.ctx, "T", {});
        const auto back = readTable(env.paradoxFolder / "T.db").records;
        ASSERT_EQ(back.size(), 2u) << c.afterEdit;
        EXPECT_EQ(back[0][1], pdx::Value(std::string(c.written))) << c.afterEdit;
        EXPECT_EQ(back[1][1], pdx::Value(std::string("z"))) << c.afterEdit;
    }
}

TEST(WriteBack, RowCountWithoutGroupingAndEmptyTables) {
    BridgeEnv env;
    std::vector<pdx::Record> rows;
    for (int i = 0; i < 1234; ++i) rows.push_back({std::int64_t{i}, std::string("r")});
    writeTable(env.paradoxFolder, "BIG", numberAndText(), rows);
    writeTable(env.paradoxFolder, "NONE", numberAndText(), {});
    for (const char* name : {"BIG", "NONE"}) {
        ImportParadoxTable(env.ctx, name);
        env.edit(name, "SELECT 1");  // written again, not left as it is
        SaveTableToParadox(env.ctx, name, {});
    }
    EXPECT_EQ(readTable(env.paradoxFolder / "BIG.db").records, rows);
    const auto none = readTable(env.paradoxFolder / "NONE.db");
    EXPECT_TRUE(none.records.empty());
    EXPECT_EQ(none.schema, numberAndText());
}

TEST(WriteBack, AFolderTextWithATrailingSlashIsTheSameFolder) {
    BridgeEnv env;
    writeTable(env.paradoxFolder, "T", numberAndText(), {});
    env.folderText = env.paradoxFolder.string() + "/";
    ImportParadoxTable(env.ctx, "T");
    env.edit("T", "SELECT 1");  // written again, not left as it is
    SaveTableToParadox(env.ctx, "T", {});
    EXPECT_TRUE(fs::exists(env.paradoxFolder / "T.db"));
    EXPECT_EQ(env.ends, 1);
}

// Other programs on Linux open the files by their exact names: every name stays as it was.
TEST(WriteBack, OtherLetterCaseIsReplacedUnderItsOwnNames) {
    BridgeEnv env;
    copyFamily(fixtures() / "db", "CUSTOMER", env.paradoxFolder, "Customer");
    const auto original = readTable(fixtures() / "db" / "CUSTOMER.DB");
    ImportParadoxTable(env.ctx, "CUSTOMER");
    env.edit("CUSTOMER", "SELECT 1");  // written again, not left as it is
    SaveTableToParadox(env.ctx, "CUSTOMER", {});
    // The secondary index (.X06/.Y06) is written again for the new table, under its own names too.
    EXPECT_EQ(fileNames(env.paradoxFolder),
              (std::vector<std::string>{"Customer.DB", "Customer.MB", "Customer.PX", "Customer.X06", "Customer.Y06"}));
    const auto written = readTable(env.paradoxFolder / "Customer.DB");
    EXPECT_EQ(written.schema, original.schema);
    EXPECT_EQ(written.records, original.records);
}

TEST(WriteBack, TableAlreadyGoneIsWrittenAnew) {
    BridgeEnv env;
    writeTable(env.paradoxFolder, "T", numberAndText(), {{std::int64_t{5}, std::string("x")}});
    ImportParadoxTable(env.ctx, "T");
    fs::remove(env.paradoxFolder / "T.db");
    env.edit("T", "SELECT 1");  // written again, not left as it is
    SaveTableToParadox(env.ctx, "T", {});
    EXPECT_EQ(readTable(env.paradoxFolder / "T.db").records.size(), 1u);
    EXPECT_EQ(env.ends, 1);
}

}  // namespace
}  // namespace vts::test
