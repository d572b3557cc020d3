// The import: exact statement texts, NULL handling, blobs, replacement of an earlier working
// table, the recorded source structure, progress, and a failure part-way.
#include <gtest/gtest.h>

#include "bridge/paradox.h"
#include "platform/shell/progress.h"
#include "bridge_env.h"
#include "platform/db/connection.h"

namespace vts::test {
namespace {

using pdx::FieldType;

pdx::Schema schemaOf(std::vector<pdx::Field> fields) {
    pdx::Schema s;
    s.fields = std::move(fields);
    return s;
}

// The working table's columns as "NAME TYPE", the type being the Jet type its declared type
// starts with.
std::vector<std::string> columnsOf(BridgeEnv& env, const std::string& table) {
    return sqliteColumn(env.workingDb(),
                        "SELECT name || ' ' || substr(type || ' ', 1, instr(type || ' ', ' ') - 1) "
                        "FROM pragma_table_info('" +
                            WorkingTableName(env.folderText, table) + "') ORDER BY cid");
}

TEST(Import, CustomerColumnsTakeTheirWorkingTypes) {
    BridgeEnv env;
    writeTable(env.paradoxFolder, "CUSTOMER", schemaOf({{"ID", FieldType::Long, 4}, {"NAME", FieldType::Alpha, 20}}),
               {{std::int64_t{1}, std::string("Ann")}});
    ImportParadoxTable(env.ctx, "CUSTOMER");
    EXPECT_EQ(columnsOf(env, "CUSTOMER"), (std::vector<std::string>{"ID INT", "NAME TEXT"}));
    EXPECT_TRUE(WorkingTableExists(env.ctx, WorkingTableName(env.folderText, "customer")));
    EXPECT_EQ(sqliteColumn(env.workingDb(), "SELECT NAME FROM " + env.working("CUSTOMER")),
              std::vector<std::string>{"Ann"});
}

TEST(Import, CustomerRowsStoredAsTheirTextsWouldBe) {
    BridgeEnv env;
    writeTable(env.paradoxFolder, "CUSTOMER",
               schemaOf({{"ID", FieldType::Long, 4}, {"CITY", FieldType::Alpha, 20}, {"NAME", FieldType::Alpha, 20}}),
               {{std::int64_t{7}, std::monostate{}, std::string("O'Brien")},
                {std::int64_t{8}, std::string("Rome"), std::monostate{}},
                {std::monostate{}, std::monostate{}, std::monostate{}}});
    ImportParadoxTable(env.ctx, "CUSTOMER");
    EXPECT_EQ(sqliteColumn(env.workingDb(),
                           "SELECT typeof(ID) || ':' || ifnull(ID, '') || '|' || ifnull(CITY, '<null>') "
                           "|| '|' || ifnull(NAME, '<null>') FROM " +
                               env.working("CUSTOMER") + " ORDER BY rowid"),
              (std::vector<std::string>{"integer:7|<null>|O'Brien", "integer:8|Rome|<null>", "null:|<null>|<null>"}));
}

TEST(Import, ASecondImportReplacesTheTable) {
    BridgeEnv env;
    writeTable(env.paradoxFolder, "T", schemaOf({{"V", FieldType::Alpha, 5}}), {{std::monostate{}}});
    ImportParadoxTable(env.ctx, "T");
    sqliteExec(env.workingDb(), "INSERT INTO " + env.working("T") + " VALUES('extra')");
    ImportParadoxTable(env.ctx, "T");
    EXPECT_EQ(sqliteColumn(env.workingDb(), "SELECT count(*) FROM " + env.working("T")), std::vector<std::string>{"1"});
    EXPECT_EQ(sqliteColumn(env.workingDb(), "SELECT count(*) FROM sqlite_master WHERE name = '" +
                                                WorkingTableName(env.folderText, "T") + "'"),
              std::vector<std::string>{"1"});
}

TEST(WorkingTableExists, BaseTablesOnlyLetterCaseIgnored) {
    BridgeEnv env;
    writeTable(env.paradoxFolder, "Customer", schemaOf({{"A", FieldType::Short, 2}}), {});
    ImportParadoxTable(env.ctx, "Customer");  // records its structure in a system table too
    sqliteExec(env.workingDb(), "CREATE VIEW V AS SELECT 1");
    sqliteExec(env.workingDb(), "CREATE TABLE \"vts/unsaved-edits\"(table_name TEXT)");
    sqliteExec(env.workingDb(), "CREATE TABLE X(id INTEGER PRIMARY KEY AUTOINCREMENT)");  // makes sqlite_sequence
    sqliteExec(env.workingDb(), "DROP TABLE X");
    const auto working = [&](const char* name) { return WorkingTableName(env.folderText, name); };
    EXPECT_TRUE(WorkingTableExists(env.ctx, working("customer")));
    EXPECT_TRUE(WorkingTableExists(env.ctx, working("CUSTOMER")));
    EXPECT_FALSE(WorkingTableExists(env.ctx, "Customer"));  // another folder's table of that name
    EXPECT_FALSE(WorkingTableExists(env.ctx, "V"));
    EXPECT_FALSE(WorkingTableExists(env.ctx, working("CUSTOMERS")));
    EXPECT_FALSE(WorkingTableExists(env.ctx, "sqlite_master"));
    for (const auto& name : sqliteColumn(env.workingDb(), "SELECT name FROM sqlite_master WHERE type = 'table'"))
        EXPECT_EQ(WorkingTableExists(env.ctx, name), name == working("Customer")) << name;
}

TEST(Import, EmptyTableGivesColumnsWithoutRows) {
    BridgeEnv env;
    writeTable(env.paradoxFolder, "EMPTY", schemaOf({{"A", FieldType::Short, 2}, {"B", FieldType::Memo, 11}}), {});
    ImportParadoxTable(env.ctx, "EMPTY");
    EXPECT_EQ(columnsOf(env, "EMPTY"), (std::vector<std::string>{"A INT", "B MEMO"}));
    EXPECT_EQ(sqliteColumn(env.workingDb(), "SELECT count(*) FROM " + env.working("EMPTY")),
              std::vector<std::string>{"0"});
}

TEST(Import, BlobsArriveIntact) {
    BridgeEnv env;
    const pdx::Bytes blob{0x00, '\'', 0xFF, '\\', 0x27, 0x00, 'x'};
    writeTable(env.paradoxFolder, "BLOBS", schemaOf({{"ID", FieldType::Short, 2}, {"DATA", FieldType::Binary, 10}}),
               {{std::int64_t{1}, blob}});
    ImportParadoxTable(env.ctx, "BLOBS");
    EXPECT_EQ(columnsOf(env, "BLOBS"), (std::vector<std::string>{"ID INT", "DATA OLEOBJECT"}));
    EXPECT_EQ(sqliteColumn(env.workingDb(), "SELECT typeof(DATA) || ':' || hex(DATA) FROM " + env.working("BLOBS")),
              std::vector<std::string>{"blob:0027FF5C270078"});
}

TEST(Import, RecordsTheSourceStructure) {
    BridgeEnv env;
    copyFamily(fixtures() / "db", "CUSTOMER", env.paradoxFolder);
    ImportParadoxTable(env.ctx, "CUSTOMER");
    db::Connection working;
    working.Open(WorkingConnectionString(env.appFolder));
    const auto recorded = working.SourceStructure(WorkingTableName(env.folderText, "CUSTOMER"));
    ASSERT_TRUE(recorded);
    EXPECT_EQ(*recorded, readTable(env.paradoxFolder / "CUSTOMER.DB").schema);
}

TEST(Import, ProgressEndsAtTheRowCount) {
    BridgeEnv env;
    std::vector<pdx::Record> rows;
    for (int i = 0; i < 3000; ++i) rows.push_back({std::int64_t{i}});
    writeTable(env.paradoxFolder, "MANY", schemaOf({{"N", FieldType::Long, 4}}), rows);
    std::vector<std::pair<long, long>> calls;
    ImportParadoxTable(env.ctx, "MANY", [&](long done, long total) { calls.emplace_back(done, total); });
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), std::make_pair(3000L, 3000L));
    for (size_t i = 1; i < calls.size(); ++i) EXPECT_LE(calls[i - 1].first, calls[i].first);
    EXPECT_EQ(sqliteColumn(env.workingDb(), "SELECT sum(N) FROM " + env.working("MANY")),
              std::vector<std::string>{"4498500"});
}

TEST(Import, RowsBeforeAFailureStay) {
    BridgeEnv env;
    std::vector<pdx::Record> rows;
    for (int i = 0; i < 2000; ++i) rows.push_back({std::int64_t{i}, std::string(3000, 'a' + i % 26)});
    writeTable(env.paradoxFolder, "BROKEN", schemaOf({{"N", FieldType::Long, 4}, {"M", FieldType::Memo, 11}}), rows);
    // Cut the blob file short: the rows whose memo lies beyond the cut cannot be read.
    const auto blobs = env.paradoxFolder / "BROKEN.MB";
    fs::resize_file(blobs, fs::file_size(blobs) / 2);
    EXPECT_ANY_THROW(ImportParadoxTable(env.ctx, "BROKEN"));
    const auto count = std::stol(sqliteColumn(env.workingDb(), "SELECT count(*) FROM " + env.working("BROKEN")).at(0));
    EXPECT_GT(count, 0);
    EXPECT_LT(count, 2000);
}

TEST(Import, UnreadableTablesGiveClearErrors) {
    BridgeEnv env;
    copyFamily(fixtures() / "encrypt", "encrypted", env.paradoxFolder);
    try {
        ImportParadoxTable(env.ctx, "ENCRYPTED");
        FAIL() << "a password-protected table was imported";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("password"), std::string::npos) << e.what();
    }
    EXPECT_ANY_THROW(ImportParadoxTable(env.ctx, "MISSING"));
    env.folderText = (env.root.path() / "nowhere").string();
    EXPECT_ANY_THROW(ImportParadoxTable(env.ctx, "ENCRYPTED"));
}

TEST(Throttle, PassesAtMostOncePerIntervalAndChecksTheClockRarely) {
    Throttle always(std::chrono::steady_clock::duration::zero(), 4);
    std::vector<int> due;
    for (int i = 0; i < 12; ++i)
        if (always.due()) due.push_back(i);
    EXPECT_EQ(due, (std::vector<int>{0, 4, 8}));
    Throttle never(std::chrono::hours(1), 1);
    int passed = 0;
    for (int i = 0; i < 1000; ++i) passed += never.due();
    EXPECT_EQ(passed, 0);
    int yields = 0;
    UiThrottle ui([&] { ++yields; }, std::chrono::steady_clock::duration::zero());
    for (int i = 0; i < 1024; ++i) ui();
    EXPECT_EQ(yields, 4);
    // A lambda given to ProgressThrottle lives as long as the throttle (ASan sees a dangling one).
    long last = 0;
    ProgressThrottle report([&](long done, long) { last = done; }, 10);
    report.finish(10);
    EXPECT_EQ(last, 10);
}

}  // namespace
}  // namespace vts::test
