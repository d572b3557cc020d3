// The working database connection: Jet statements on SQLite, exact values through the column
// types, the table list, the recorded source structure, transactions and the statement log.
#include <gtest/gtest.h>

#include "db_test_support.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

std::vector<std::vector<std::string>> rowsOf(db::Connection& c, const std::string& sql) {
    db::Recordset rs;
    rs.CursorLocation(3);
    rs.Open(sql, c, 3, 1);
    std::vector<std::vector<std::string>> out;
    for (; !rs.Eof(); rs.MoveNext()) {
        auto& row = out.emplace_back();
        for (int i = 0; i < rs.Fields().Count(); ++i) row.push_back(db::toText(rs.Fields()(i).Value()));
    }
    return out;
}

pdx::Schema sampleSchema() {
    pdx::Schema s;
    s.fields = {{"ID", pdx::FieldType::AutoInc, 4}, {"Name", pdx::FieldType::Alpha, 30}};
    s.keyFields = 1;
    s.codePage = 437;
    s.sortOrder = 0;
    s.sortOrderId = "ascii";
    return s;
}

}  // namespace

TEST(WorkingDatabase, ColumnTypesKeepValuesExactly) {
    TempDir dir;
    db::Connection c;
    c.CursorLocation(2);
    c.Mode(3);
    c.Open(workingString(dir));
    c.Execute("CREATE TABLE `T`(`I` INT,`F` FLOAT,`S` TEXT,`M` MEMO,`D` DECIMAL,`W` DATETIME,`O` OLEOBJECT);");
    c.Execute("INSERT INTO `T` VALUES('7', '2.5', '007', '007', '12345678901234567890.123', '2020-02-01 01:00:01', "
              "X'00FF')");
    c.Execute("INSERT INTO `T` VALUES(NULL, NULL, 'O''Brien', NULL, '0.10', '2018-01-01', NULL)");
    db::Recordset rs;
    rs.Open("select * from [T]", c, 3, 1);
    EXPECT_EQ(rs.RecordCount(), 2);
    const std::vector<int> types{3, 5, 202, 203, 131, 7, 205};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(rs.Fields()(i).Type(), types[std::size_t(i)]) << i;
    EXPECT_EQ(rs("I").Value(), db::Variant(std::int64_t{7}));
    EXPECT_EQ(rs("F").Value(), db::Variant(2.5));
    EXPECT_EQ(rs("S").Value(), db::Variant(std::string("007")));
    EXPECT_EQ(rs("M").Value(), db::Variant(std::string("007")));
    EXPECT_EQ(rs("D").Value(), db::Variant(std::string("12345678901234567890.123")));
    EXPECT_EQ(rs("W").Value(), db::Variant(std::string("2020-02-01 01:00:01")));
    EXPECT_EQ(rs("O").Value(), db::Variant(db::Bytes{0x00, 0xFF}));
    rs.MoveNext();
    EXPECT_TRUE(db::isNull(rs("I").Value()));
    EXPECT_EQ(db::toText(rs("S").Value()), "O'Brien");
    EXPECT_EQ(db::toText(rs("D").Value()), "0.10");
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
}

TEST(WorkingDatabase, ExactlyOneStatementAndNothingOfASecond) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    c.Execute("CREATE TABLE `x`(`A` INT)");
    c.Execute("CREATE TABLE `y`(`A` INT)");
    for (const char* bad : {"DROP TABLE `x`; DROP TABLE `y`", "DROP TABLE `x`;;", "DROP TABLE `x` /* c */",
                            "DROP TABLE `x` -- c", ""})
        EXPECT_THROW(c.Execute(bad), vts::Error) << bad;
    EXPECT_EQ(rowsOf(c, "SELECT count(*) FROM sqlite_master WHERE type = 'table'"),
              (std::vector<std::vector<std::string>>{{"2"}}));
    c.Execute("DROP TABLE [x];");
    try {
        c.Execute("DROP TABLE [x]");
        FAIL() << "dropped a missing table";
    } catch (const vts::Error& e) {
        EXPECT_NE(std::string(e.what()).find("no such table"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("DROP TABLE"), std::string::npos) << e.what();
    }
}

TEST(WorkingDatabase, NamesWithQuotesAndBrackets) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    c.Execute("CREATE TABLE `a``b]c`(`x``y` TEXT)");
    c.Execute("INSERT INTO [a`b]]c] VALUES('v')");
    EXPECT_EQ(rowsOf(c, "select * from [a`b]]c]"), (std::vector<std::vector<std::string>>{{"v"}}));
    EXPECT_EQ(rowsOf(c, "SELECT * FROM `a``b]c`;"), (std::vector<std::vector<std::string>>{{"v"}}));
}

TEST(WorkingDatabase, SchemaListsTablesButNeverTheSystemTablesOfTheProgram) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    c.Execute("CREATE TABLE `CUSTOMER`(`ID` INT)");
    c.Execute("CREATE VIEW `V` AS SELECT * FROM `CUSTOMER`");
    c.RecordSourceStructure("CUSTOMER", sampleSchema());
    c.SetImportComplete("CUSTOMER", false);
    {
        db::Recordset grid;
        grid.Open("SELECT * FROM `CUSTOMER`;", c, 2, 3);
        c.Execute("INSERT INTO `CUSTOMER` VALUES('1')");
        grid.DataSource()->Update(1, 0, std::int64_t{1}, std::string("2"));  // marks unsaved edits
    }
    auto rs = c.OpenSchema(20);
    EXPECT_EQ(rs.Fields()(0).Name(), "TABLE_NAME");
    EXPECT_EQ(rs.Fields()(1).Name(), "TABLE_TYPE");
    std::vector<std::string> tables, others;
    for (; !rs.Eof(); rs.MoveNext())
        (db::toText(rs("TABLE_TYPE").Value()) == "TABLE" ? tables : others)
            .push_back(db::toText(rs("TABLE_NAME").Value()) + "/" + db::toText(rs("TABLE_TYPE").Value()));
    EXPECT_EQ(tables, std::vector<std::string>{"CUSTOMER/TABLE"});
    EXPECT_EQ(others, (std::vector<std::string>{"V/VIEW", "vts/incomplete-imports/SYSTEM TABLE",
                                                "vts/source-structure/SYSTEM TABLE", "vts/unsaved-edits/SYSTEM TABLE"}));
}

TEST(WorkingDatabase, SourceStructureIsKeptUntilTheTableIsDropped) {
    TempDir dir;
    vts::StatementLog log;
    db::Connection c(&log);
    c.Open(workingString(dir));
    EXPECT_FALSE(c.SourceStructure("CUSTOMER"));
    c.Execute("CREATE TABLE `CUSTOMER`(`ID` INT,`Name` TEXT)");
    c.RecordSourceStructure("CUSTOMER", sampleSchema());
    EXPECT_EQ(c.SourceStructure("customer"), sampleSchema());
    auto other = sampleSchema();
    other.fields.pop_back();
    c.RecordSourceStructure("CUSTOMER", other);  // a new import replaces the record
    EXPECT_EQ(c.SourceStructure("CUSTOMER"), other);
    EXPECT_EQ(log.entries.size(), 1u);  // only the CREATE TABLE
    c.Execute("DROP TABLE [CUSTOMER]");
    EXPECT_FALSE(c.SourceStructure("CUSTOMER"));
}

TEST(WorkingDatabase, TransactionsCommitAndRollBackAndAreNotLogged) {
    TempDir dir;
    vts::StatementLog log;
    db::Connection c(&log);
    c.Open(workingString(dir));
    c.Execute("CREATE TABLE `T`(`A` INT)");
    c.BeginTrans();
    c.Execute("INSERT INTO `T` VALUES('1')");
    c.RollbackTrans();
    c.BeginTrans();
    c.Execute("INSERT INTO `T` VALUES('2')");
    c.CommitTrans();
    EXPECT_EQ(rowsOf(c, "SELECT * FROM `T`"), (std::vector<std::vector<std::string>>{{"2"}}));
    ASSERT_EQ(log.entries.size(), 4u);
    EXPECT_EQ(log.entries[1].statement, "INSERT INTO `T` VALUES('1')");
    EXPECT_EQ(log.entries[3].statement, "SELECT * FROM `T`");
    EXPECT_EQ(log.entries[3].connectionString, workingString(dir));
    EXPECT_THROW(c.CommitTrans(), vts::Error);
}

TEST(WorkingDatabase, RecordCountWithoutReadingAndForwardWalkInBatches) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    c.Execute("CREATE TABLE `T`(`A` INT,`B` TEXT)");
    c.BeginTrans();
    for (int i = 1; i <= 1000; ++i) c.Execute("INSERT INTO `T` VALUES('" + std::to_string(i) + "', 'r')");
    c.CommitTrans();
    c.Execute("DELETE FROM `T` WHERE `A` % 3 = 0");
    db::Recordset rs;
    rs.Open("select * from [T]", c, 3, 1);
    EXPECT_EQ(rs.RecordCount(), 667);
    std::int64_t n = 0, last = 0;
    for (; !rs.Eof(); rs.MoveNext(), ++n) {
        const auto a = std::get<std::int64_t>(rs("A").Value());
        EXPECT_GT(a, last);
        last = a;
    }
    EXPECT_EQ(n, 667);
    // Another query form is read whole.
    db::Recordset agg;
    agg.Open("SELECT count(*) AS n, max([A]) FROM [T]", c);
    EXPECT_EQ(agg.RecordCount(), 1);
    EXPECT_EQ(agg("n").Value(), db::Variant(std::int64_t{667}));
    EXPECT_THROW(agg.SourceSchema(), vts::Error);
    EXPECT_THROW(agg.DataSource(), vts::Error);
}

TEST(WorkingDatabase, AnOpenRecordSetDoesNotBlockAnotherConnection) {
    TempDir dir;
    db::Connection a, b;
    a.Open(workingString(dir));
    b.Open(workingString(dir));
    a.Execute("CREATE TABLE `T`(`A` INT)");
    a.BeginTrans();
    for (int i = 0; i < 600; ++i) a.Execute("INSERT INTO `T` VALUES('" + std::to_string(i) + "')");
    a.CommitTrans();
    db::Recordset rs;
    rs.Open("SELECT * FROM `T`", a, 3, 1);
    rs.MoveNext();  // inside the first batch
    b.Execute("DROP TABLE `T`");
    b.Execute("CREATE TABLE `T`(`A` INT)");
    EXPECT_EQ(rs.RecordCount(), 600);
}

TEST(WorkingDatabase, ReadOnlyModeAndClosedConnection) {
    TempDir dir;
    {
        db::Connection c;
        c.Open(workingString(dir));
        c.Execute("CREATE TABLE `T`(`A` INT)");
    }
    db::Connection ro;
    ro.Mode(1);
    ro.Open(workingString(dir));
    EXPECT_THROW(ro.Execute("INSERT INTO `T` VALUES('1')"), vts::Error);
    EXPECT_THROW(ro.Open(workingString(dir)), vts::Error);  // already open
    ro.Close();
    db::Recordset rs;
    EXPECT_THROW(rs.Open("SELECT * FROM `T`", ro), vts::Error);
    EXPECT_THROW(rs.Eof(), vts::Error);
}

TEST(WorkingDatabase, LargeBlobsAreWalkedInSmallBatches) {
    TempDir dir;
    db::Connection c;
    c.Open(workingString(dir));
    c.Execute("CREATE TABLE `G`(`ID` INT,`PIC` OLEOBJECT)");
    c.Execute("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 12) "
              "INSERT INTO `G` SELECT i, zeroblob(1000000) FROM k");
    db::Recordset rs;
    rs.Open("SELECT * FROM `G`", c);
    std::int64_t n = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
        EXPECT_EQ(rs("ID").Value(), db::Variant(++n));
        EXPECT_EQ(std::get<db::Bytes>(rs("PIC").Value()).size(), 1000000u);
    }
    EXPECT_EQ(n, 12);
}
