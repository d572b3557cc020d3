// The Paradox folder connection: record sets over real tables (types, text forms, counts,
// blobs), refusals, and DROP TABLE setting a table aside.
#include <gtest/gtest.h>

#include "db_test_support.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

// All rows of a fixture table as text (bytes as "<n bytes>"), read through a fresh connection.
struct Table {
    std::vector<std::string> names;
    std::vector<int> types;
    std::vector<std::vector<db::Variant>> rows;
    std::int64_t count = 0;
    pdx::Schema schema;
};

Table readTable(const fs::path& folder, const std::string& name, vts::StatementLog* log = nullptr) {
    db::Connection c(log);
    c.CursorLocation(3);
    c.Open(db::paradoxConnectionString(folder.string()));
    db::Recordset rs;
    rs.Open("SELECT * FROM `" + name + "`", c);
    Table t;
    t.count = rs.RecordCount();
    t.schema = rs.SourceSchema();
    for (int i = 0; i < rs.Fields().Count(); ++i) {
        t.names.push_back(rs.Fields()(i).Name());
        t.types.push_back(rs.Fields()(i).Type());
    }
    for (; !rs.Eof(); rs.MoveNext()) {
        auto& row = t.rows.emplace_back();
        for (int i = 0; i < rs.Fields().Count(); ++i) row.push_back(rs.Fields()(i).Value());
    }
    EXPECT_EQ(rs.State(), 1);
    rs.Close();
    EXPECT_EQ(rs.State(), 0);
    return t;
}

std::string textAt(const Table& t, std::size_t row, std::size_t col) { return db::toText(t.rows.at(row).at(col)); }

}  // namespace

TEST(ParadoxRecordset, TypeCodesFollowTheFieldTypes) {
    struct Case {
        const char* table;
        std::vector<int> types;
    };
    for (const Case& c : {Case{"bcd", {14, 14, 14}}, Case{"bytes", {128}}, Case{"date5", {133, 134}},
                          Case{"logical", {11}}, Case{"long", {3, 3}}, Case{"memo", {3, 201}}, Case{"ole", {3, 205}},
                          Case{"fmemo", {3, 205}}, Case{"graphic", {3, 205, 200}}, Case{"timestamp", {135}}}) {
        EXPECT_EQ(readTable(fixtures() / "fields", c.table).types, c.types) << c.table;
    }
    EXPECT_EQ(readTable(fixtures() / "db", "DECIMAL").types, std::vector<int>{5});
}

TEST(ParadoxRecordset, TextFormsAreFixedWhateverTheLocale) {
    CommaLocale comma;
    const auto bcd = readTable(fixtures() / "fields", "bcd");
    EXPECT_EQ(textAt(bcd, 0, 0), "1.23");
    EXPECT_EQ(textAt(bcd, 1, 0), "-1.23");
    EXPECT_EQ(textAt(bcd, 2, 0), "0.00");
    EXPECT_TRUE(db::isNull(bcd.rows[2][1]));
    const auto date = readTable(fixtures() / "fields", "date5");
    EXPECT_EQ(textAt(date, 0, 0), "2018-01-01");
    EXPECT_EQ(textAt(date, 0, 1), "10:00:00");
    const auto stamp = readTable(fixtures() / "fields", "timestamp");
    EXPECT_TRUE(db::isNull(stamp.rows[0][0]));
    EXPECT_EQ(textAt(stamp, 1, 0), "2020-02-01 01:00:01");
    const auto logical = readTable(fixtures() / "fields", "logical");
    EXPECT_EQ(textAt(logical, 0, 0), "True");
    EXPECT_EQ(textAt(logical, 1, 0), "False");
    const auto bytes = readTable(fixtures() / "fields", "bytes");
    EXPECT_EQ(textAt(bytes, 0, 0).substr(0, 12), "310032003300");
    const auto dec = readTable(fixtures() / "db", "DECIMAL");
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < dec.rows.size(); ++i) numbers.push_back(textAt(dec, i, 0));
    EXPECT_NE(std::find(numbers.begin(), numbers.end(), "200.36"), numbers.end());
    EXPECT_NE(std::find(numbers.begin(), numbers.end(), "-200"), numbers.end());
    EXPECT_TRUE(std::holds_alternative<double>(dec.rows[0][0]));
}

TEST(ParadoxRecordset, RecordCountIsExactAndValuesKeepTheirKinds) {
    const auto customer = readTable(fixtures() / "db", "customer");  // any letter case finds CUSTOMER.DB
    EXPECT_EQ(customer.count, 20);
    EXPECT_EQ(customer.rows.size(), 20u);
    EXPECT_EQ(customer.names[1], "FirstName");
    EXPECT_EQ(customer.rows[0][0], db::Variant(std::int64_t{1}));
    EXPECT_EQ(textAt(customer, 0, 1), "Luke");
    EXPECT_EQ(textAt(customer, 0, 9), "1996-02-02");
    EXPECT_EQ(customer.schema.keyFields, 1);
    EXPECT_EQ(customer.schema.fields.size(), 10u);
    const auto longs = readTable(fixtures() / "fields", "long");
    EXPECT_TRUE(db::isNull(longs.rows[2][1]));
    const auto area = readTable(fixtures() / "db", "AREACODE");
    EXPECT_EQ(area.count, 135);
    EXPECT_EQ(area.rows.size(), 135u);
}

TEST(ParadoxRecordset, BlobsComeAsBytes) {
    const auto graphic = readTable(fixtures() / "fields", "graphic");
    ASSERT_EQ(graphic.rows.size(), 3u);
    const auto& gif = std::get<db::Bytes>(graphic.rows[0][1]);
    EXPECT_EQ(gif.size(), 20086u);
    const auto ole = readTable(fixtures() / "fields", "ole");
    EXPECT_EQ(std::get<db::Bytes>(ole.rows[0][1]).size(), 365928u);
    const auto memo = readTable(fixtures() / "fields", "memo");
    EXPECT_TRUE(std::holds_alternative<std::string>(memo.rows[1][1]));
}

TEST(ParadoxRecordset, FieldsByNameAndEofReads) {
    db::Connection c;
    c.Open(db::paradoxConnectionString((fixtures() / "fields").string()));
    db::Recordset rs;
    rs.Open("SELECT * FROM `date5`", c);
    EXPECT_EQ(db::toText(rs("time").Value()), "10:00:00");
    EXPECT_THROW(rs("nope"), vts::Error);
    EXPECT_THROW(rs.Fields()(2), vts::Error);
    while (!rs.Eof()) rs.MoveNext();
    EXPECT_THROW(rs.MoveNext(), vts::Error);
    EXPECT_THROW(rs.Fields()(0).Value(), vts::Error);
}

TEST(ParadoxRecordset, PasswordProtectedTableIsRefusedClearly) {
    for (const char* name : {"encrypted", "encrypted35", "encryptedmemo"}) {
        try {
            readTable(fixtures() / "encrypt", name);
            ADD_FAILURE() << name << " was read";
        } catch (const vts::Error& e) {
            EXPECT_NE(std::string(e.what()).find("password"), std::string::npos) << e.what();
        }
    }
}

TEST(ParadoxConnection, RefusesOtherStatementsAndMissingTables) {
    TempDir dir;
    copyTable("db", "CUSTOMER", dir.path());
    vts::StatementLog log;
    db::Connection c(&log);
    c.Open(db::paradoxConnectionString(dir.str()));
    for (const char* bad : {"SELECT * FROM `CUSTOMER`", "DELETE FROM `CUSTOMER`", "SELECT FirstName FROM `CUSTOMER`",
                            "CREATE TABLE `X`(`A` INT)"})
        EXPECT_THROW(c.Execute(bad), vts::Error) << bad;
    db::Recordset rs;
    EXPECT_THROW(rs.Open("SELECT * FROM `MISSING`", c), vts::Error);
    EXPECT_THROW(rs.Open("SELECT * FROM `CUSTOMER` WHERE 1", c), vts::Error);
    EXPECT_THROW(c.Execute("DROP TABLE `MISSING`"), vts::Error);
    ASSERT_FALSE(log.entries.empty());
    EXPECT_EQ(log.entries.front().connectionString, db::paradoxConnectionString(dir.str()));
    EXPECT_EQ(log.entries.front().statement, "SELECT * FROM `CUSTOMER`");
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"CUSTOMER.DB", "CUSTOMER.MB", "CUSTOMER.PX",
                                                             "CUSTOMER.X06", "CUSTOMER.Y06"}));
}

TEST(ParadoxConnection, TwoStatementsDropNothing) {
    TempDir dir;
    copyTable("joins", "A", dir.path());
    copyTable("joins", "B", dir.path());
    const auto before = filesIn(dir.path());
    db::Connection c;
    c.Open(db::paradoxConnectionString(dir.str()));
    EXPECT_THROW(c.Execute("DROP TABLE `A`; DROP TABLE `B`"), vts::Error);
    EXPECT_EQ(filesIn(dir.path()), before);
}

// The files stay until the write of the new table replaces them in one step.
TEST(ParadoxConnection, DropLeavesTheFamilyForTheReplacementAndRefusesAMissingTable) {
    TempDir dir;
    copyTable("db", "CUSTOMER", dir.path());
    const auto before = filesIn(dir.path());
    db::Connection c;
    c.Open(db::paradoxConnectionString(dir.str()));
    c.Execute("DROP TABLE `customer`;");
    c.Execute("DROP TABLE `CUSTOMER`");  // a repeated write-back after a failed copy
    EXPECT_EQ(filesIn(dir.path()), before);
    EXPECT_THROW(c.Execute("DROP TABLE `NOSUCH`"), vts::Error);
}

TEST(ParadoxConnection, SchemaListsTheFolderTables) {
    TempDir dir;
    copyTable("joins", "A", dir.path());
    copyTable("joins", "C", dir.path());
    db::Connection c;
    c.Open(db::paradoxConnectionString(dir.str()));
    auto rs = c.OpenSchema(20);
    std::vector<std::string> names;
    for (; !rs.Eof(); rs.MoveNext()) {
        EXPECT_EQ(db::toText(rs("TABLE_TYPE").Value()), "TABLE");
        names.push_back(db::toText(rs("TABLE_NAME").Value()));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A", "C"}));
    EXPECT_THROW(c.OpenSchema(4), vts::Error);
}
