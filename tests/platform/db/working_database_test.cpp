// The working database through its typed calls: exact values through the column types, names
// that need quoting, which tables count, the recorded source structure, transactions and the
// read-only mode.
#include <gtest/gtest.h>

#include "db_test_support.h"
#include "platform/db/jet_types.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

pdx::Schema sampleSchema() {
    pdx::Schema s;
    s.fields = {{"ID", pdx::FieldType::AutoInc, 4}, {"Name", pdx::FieldType::Alpha, 30}};
    s.keyFields = 1;
    s.codePage = 437;
    s.sortOrder = 0;
    s.sortOrderId = "ascii";
    return s;
}

std::vector<db::GridSource::Row> rowsOf(db::Connection& c, const std::string& table) {
    return c.OpenGridSource(table)->Fetch(0, 1000);
}

}  // namespace

TEST(WorkingDatabase, ColumnTypesKeepValuesExactly) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    c.CreateTable("T", {{"I", db::JetType::Int},
                        {"F", db::JetType::Float},
                        {"S", db::JetType::Text},
                        {"M", db::JetType::Memo},
                        {"D", db::JetType::Decimal},
                        {"W", db::JetType::DateTime},
                        {"O", db::JetType::OleObject}});
    c.InsertRow("T",
                {std::string("7"), std::string("2.5"), std::string("007"), std::string("007"),
                 std::string("12345678901234567890.123"), std::string("2020-02-01 01:00:01"), pdx::Bytes{0x00, 0xFF}});
    c.InsertRow("T", {pdx::Value{}, pdx::Value{}, std::string("O'Brien"), pdx::Value{}, std::string("0.10"),
                      std::string("2018-01-01"), pdx::Value{}});
    const auto source = c.OpenGridSource("T");
    using namespace db::ado;
    const std::vector<int> types{adInteger, adDouble, adVarWChar, adLongVarWChar, adNumeric, adDate, adLongVarBinary};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(source->ColumnType(i), types[std::size_t(i)]) << i;
    const auto rows = source->Fetch(0, 10);
    ASSERT_EQ(rows.size(), 2u);
    const std::vector<pdx::Value> first{std::int64_t{7},
                                        2.5,
                                        std::string("007"),
                                        std::string("007"),
                                        std::string("12345678901234567890.123"),
                                        std::string("2020-02-01 01:00:01"),
                                        pdx::Bytes{0x00, 0xFF}};
    EXPECT_EQ(rows[0].values, first);
    EXPECT_TRUE(pdx::isNull(rows[1].values[0]));
    EXPECT_EQ(rows[1].values[2], pdx::Value(std::string("O'Brien")));
    EXPECT_EQ(rows[1].values[4], pdx::Value(std::string("0.10")));
    EXPECT_EQ(c.RowCount("T"), 2);
}

TEST(WorkingDatabase, NamesWithQuotesAndBracketsNeverLeaveTheirQuoting) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    const std::string name = "a`b]c\"d;DROP TABLE x";
    c.CreateTable(name, {{"x`y\"", db::JetType::Text}});
    c.InsertRow(name, {std::string("v")});
    EXPECT_TRUE(c.TableExists(name));
    ASSERT_EQ(rowsOf(c, name).size(), 1u);
    EXPECT_EQ(rowsOf(c, name)[0].values[0], pdx::Value(std::string("v")));
    c.DropTable(name);
    EXPECT_FALSE(c.TableExists(name));
    EXPECT_THROW(c.DropTable(name), vts::Error);
}

TEST(WorkingDatabase, OnlyBaseTablesOfTheUserCount) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    c.CreateTable("CUSTOMER", {{"ID", db::JetType::Int}});
    c.RecordSourceStructure("CUSTOMER", sampleSchema());
    c.SetImportComplete("CUSTOMER", false);
    db::SqliteDb(dir.file("dbTemp.mdb"), false, false).exec("CREATE VIEW V AS SELECT 1");
    EXPECT_TRUE(c.TableExists("customer"));
    EXPECT_FALSE(c.TableExists("V"));
    EXPECT_FALSE(c.TableExists("vts/source-structure"));
    EXPECT_FALSE(c.TableExists("vts/incomplete-imports"));
    EXPECT_FALSE(c.TableExists("sqlite_master"));
}

TEST(WorkingDatabase, SourceStructureIsKeptUntilTheTableIsDropped) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    EXPECT_FALSE(c.SourceStructure("CUSTOMER"));
    c.CreateTable("CUSTOMER", {{"ID", db::JetType::Int}, {"Name", db::JetType::Text}});
    c.RecordSourceStructure("CUSTOMER", sampleSchema());
    EXPECT_EQ(c.SourceStructure("customer"), sampleSchema());
    auto other = sampleSchema();
    other.fields.pop_back();
    c.RecordSourceStructure("CUSTOMER", other);  // a new import replaces the record
    EXPECT_EQ(c.SourceStructure("CUSTOMER"), other);
    c.DropTable("CUSTOMER");
    EXPECT_FALSE(c.SourceStructure("CUSTOMER"));
}

TEST(WorkingDatabase, TransactionsCommitAndRollBack) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    c.CreateTable("T", {{"A", db::JetType::Int}});
    c.BeginTrans();
    c.InsertRow("T", {std::string("1")});
    c.RollbackTrans();
    c.BeginTrans();
    c.InsertRow("T", {std::string("2")});
    c.CommitTrans();
    ASSERT_EQ(rowsOf(c, "T").size(), 1u);
    EXPECT_EQ(rowsOf(c, "T")[0].values[0], pdx::Value(std::int64_t{2}));
    EXPECT_THROW(c.CommitTrans(), vts::Error);
}

TEST(WorkingDatabase, ReadOnlyModeAndClosedConnection) {
    TempDir dir;
    {
        db::Connection c;
        c.Open(workingString(dir));
        c.CreateTable("T", {{"A", db::JetType::Int}});
    }
    db::Connection ro;
    ro.Mode(1);
    ro.Open(workingString(dir));
    EXPECT_THROW(ro.InsertRow("T", {std::string("1")}), vts::Error);
    EXPECT_THROW(ro.Open(workingString(dir)), vts::Error);  // already open
    EXPECT_EQ(ro.RowCount("T"), 0);
    ro.Close();
    EXPECT_THROW(ro.RowCount("T"), vts::Error);
}
