// The kept-statement INSERT: every literal form it takes gives the same stored value as SQLite's
// own reading of the same text; every form it cannot vouch for goes the ordinary way; kept
// statements follow the tables they write to.
#include <gtest/gtest.h>

#include "db_test_support.h"
#include "platform/db/insert_cache.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

// Every affinity the working tables use, and the two SQLite has besides.
const char* kColumns = "(`I` INT,`F` FLOAT,`S` TEXT,`M` MEMO TEXT,`D` DECIMAL TEXT,`W` DATETIME TEXT,"
                       "`O` OLEOBJECT BLOB,`N` NUMERIC,`U`)";
constexpr int kColumnCount = 9;

// The same literal in every column.
std::string insertInto(const std::string& table, const std::string& literal) {
    std::string sql = "INSERT INTO `" + table + "` VALUES(";
    for (int i = 0; i < kColumnCount; ++i) sql += (i ? ", " : "") + literal;
    return sql + ")";
}

struct Stored {
    std::string type;
    db::Variant value;
    bool operator==(const Stored&) const = default;
};

std::vector<Stored> storedRows(const db::SqliteDb& db, const std::string& table) {
    const std::string sql = "SELECT typeof(I), I, typeof(F), F, typeof(S), S, typeof(M), M, typeof(D), D, typeof(W), W, "
          "typeof(O), O, typeof(N), N, typeof(U), U FROM `" + table + "` ORDER BY rowid";
    db::Statement st(db, sql);
    std::vector<Stored> out;
    while (st.step())
        for (int i = 0; i < kColumnCount; ++i) out.push_back({db::toText(st.column(2 * i)), st.column(2 * i + 1)});
    return out;
}

class InsertCacheTest : public ::testing::Test {
protected:
    InsertCacheTest() : db_((dir_.path() / "t.sqlite").string(), false, true), cache_(db_) {
        db_.exec(std::string("CREATE TABLE `FAST`") + kColumns);
        db_.exec(std::string("CREATE TABLE `PLAIN`") + kColumns);
    }
    TempDir dir_;
    db::SqliteDb db_;
    db::InsertCache cache_;
};

}  // namespace

TEST_F(InsertCacheTest, LiteralsStoreWhatSqliteStoresForTheSameText) {
    const std::vector<std::string> literals{
        "''", "'abc'", "'O''Brien'", "''''", "'a''''b'", "'7'", "'007'", "' 7'", "'7 '", "'-7'", "'+7'", "'-0'",
        "'1.5'", "'1.50'", "'-2.5e3'", "'1E+3'", "'.5'", "'5.'", "'0.1'", "'1.0'", "'3.0e0'",
        "'9223372036854775807'", "'9223372036854775808'", "'-9223372036854775808'", "'-9223372036854775809'",
        "'100000000000000000000'", "'123456789012345678901234567890'", "'0x10'", "'12abc'", "'NaN'", "'Inf'",
        "'1e999'", "'2024-01-31'", "'2024-01-31 10:00:00'", "'True'", "'ünï ☃'", "'a;b'", "'--x'", "'/*x*/'",
        "'\"q\"'", "'`b`'", "'tab\there'", "'line\nbreak'", "X''", "X'00FF'", "x'abCD'", "X'27'", "NULL", "null",
        "Null", "0", "-0", "7", "-7", "007", "000000000000000001", "123456789012345678", "-123456789012345678",
        "999999999999999999", "-999999999999999999"};
    for (const auto& literal : literals) {
        SCOPED_TRACE(literal);
        ASSERT_TRUE(cache_.tryExecute(insertInto("FAST", literal)));
        db_.exec(insertInto("PLAIN", literal));
        const auto fast = storedRows(db_, "FAST"), plain = storedRows(db_, "PLAIN");
        ASSERT_EQ(fast.size(), plain.size());
        for (std::size_t i = 0; i < fast.size(); ++i) {
            EXPECT_EQ(fast[i].type, plain[i].type) << "column " << i % kColumnCount;
            EXPECT_EQ(fast[i].value, plain[i].value) << "column " << i % kColumnCount;
        }
    }
}

// SQLite 3.40 reads a few full-precision decimal texts into a double one unit in the last place
// off; a FLOAT column must get the nearest double, which is what the text was made from.
TEST_F(InsertCacheTest, FloatColumnsGetTheNearestDouble) {
    db_.exec("CREATE TABLE `R`(`F` FLOAT, `S` TEXT)");
    const std::vector<std::string> texts{"32.149581516499246", "-568592.8372141", "4576614497.6606035", "0.1",
                                         "1e21", "-2.5e-300"};
    for (const auto& t : texts) ASSERT_TRUE(cache_.tryExecute("INSERT INTO `R` VALUES('" + t + "', '" + t + "')"));
    db::Statement st(db_, "SELECT typeof(F), F, S FROM `R` ORDER BY rowid");
    for (const auto& t : texts) {
        ASSERT_TRUE(st.step());
        EXPECT_EQ(db::toText(st.column(0)), "real") << t;
        EXPECT_EQ(std::get<double>(st.column(1)), std::strtod(t.c_str(), nullptr)) << t;
        EXPECT_EQ(db::toText(st.column(2)), t);  // a TEXT column keeps the text
    }
}

TEST_F(InsertCacheTest, FormsItCannotVouchForGoTheOrdinaryWay) {
    const std::vector<std::string> texts{
        insertInto("FAST", "1234567890123456789"),  // 19 digits: may not fit 64 bits
        insertInto("FAST", "9223372036854775808"), insertInto("FAST", "1.5"), insertInto("FAST", "1e3"),
        insertInto("FAST", "0x10"), insertInto("FAST", "+7"), insertInto("FAST", "- 7"), insertInto("FAST", "X'ABC'"),
        insertInto("FAST", "X'GG'"), insertInto("FAST", "NULLX"), insertInto("FAST", "'a' 'b'"),
        insertInto("FAST", "'open"), insertInto("FAST", "CURRENT_DATE"), insertInto("FAST", "(1)"),
        "INSERT INTO `FAST` VALUES()", "insert into `FAST` VALUES(1)", "INSERT INTO [FAST] VALUES(1)",
        "INSERT INTO `FAST`VALUES(1)", "INSERT INTO `FAST` VALUES(1);", "INSERT INTO `FAST` VALUES(1) ",
        "INSERT INTO `FAST` VALUES(1); DROP TABLE `PLAIN`", "INSERT INTO `FAST` VALUES(1)--",
        "INSERT INTO `FAST` VALUES(1), (2)", "INSERT INTO `` VALUES(1)", "INSERT INTO `FAST VALUES(1)",
        std::string("INSERT INTO `FAST` VALUES('a\0b')", 32)};
    for (const auto& sql : texts) EXPECT_FALSE(cache_.tryExecute(sql)) << sql;
    EXPECT_TRUE(storedRows(db_, "FAST").empty());
}

TEST_F(InsertCacheTest, NamesWithDoubledBackquotesAndBlanksAroundLiterals) {
    db_.exec("CREATE TABLE `a``b`(x, y)");
    ASSERT_TRUE(cache_.tryExecute("INSERT INTO `a``b` VALUES(  'p' ,7,NULL  )") == false);  // 3 values, 2 columns
    ASSERT_TRUE(cache_.tryExecute("INSERT INTO `a``b` VALUES(  'p''' ,7  )"));
    db::Statement st(db_, "SELECT x, y FROM `a``b`");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.column(0), db::Variant(std::string("p'")));
    EXPECT_EQ(st.column(1), db::Variant(std::int64_t{7}));
}

TEST_F(InsertCacheTest, KeptStatementsFollowTheirTable) {
    ASSERT_TRUE(cache_.tryExecute(insertInto("FAST", "'1'")));
    // Changed on the same connection: SQLite plans the kept statement again.
    db_.exec("DROP TABLE `FAST`");
    db_.exec("CREATE TABLE `FAST`(`A` TEXT,`B` INT,`C`,`D`,`E`,`F`,`G`,`H`,`I`)");
    ASSERT_TRUE(cache_.tryExecute(insertInto("FAST", "'2'")));
    db::Statement st(db_, "SELECT typeof(A), typeof(B), count(*) FROM `FAST`");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(db::toText(st.column(0)), "text");
    EXPECT_EQ(db::toText(st.column(1)), "integer");
    EXPECT_EQ(st.columnInt(2), 1);
    st.reset();
    // Changed from another connection, now with fewer columns: nothing is written and the
    // caller gets to run the text the ordinary way.
    {
        db::SqliteDb other(db_.path(), false, false);
        other.exec("DROP TABLE `FAST`");
        other.exec("CREATE TABLE `FAST`(`A`)");
    }
    EXPECT_FALSE(cache_.tryExecute(insertInto("FAST", "'3'")));
    db_.exec("DROP TABLE `FAST`");
    EXPECT_FALSE(cache_.tryExecute(insertInto("FAST", "'4'")));
}

TEST(WorkingDatabaseInserts, FailuresReadAsOnTheOrdinaryPath) {
    TempDir dir;
    db::Connection c;
    c.Mode(3);
    c.Open(workingString(dir));
    c.Execute("CREATE TABLE `T`(`A` INT NOT NULL)");
    c.Execute("INSERT INTO `T` VALUES('1')");
    try {
        c.Execute("INSERT INTO `T` VALUES(NULL)");
        FAIL() << "NULL went into a NOT NULL column";
    } catch (const vts::Error& e) {
        EXPECT_STREQ(e.what(), "NOT NULL constraint failed: T.A (in \"INSERT INTO `T` VALUES(NULL)\")");
    }
    try {
        c.Execute("INSERT INTO `MISSING` VALUES('1')");
        FAIL() << "an insert into a missing table succeeded";
    } catch (const vts::Error& e) {
        EXPECT_STREQ(e.what(), "no such table: MISSING (in \"INSERT INTO `MISSING` VALUES('1')\")");
    }
    // A kept statement does not hold the table: it can be dropped and made anew at once.
    c.Execute("DROP TABLE `T`");
    c.Execute("CREATE TABLE `T`(`A` TEXT,`B` TEXT)");
    c.Execute("INSERT INTO `T` VALUES('x', 'y')");
    db::Recordset rs;
    rs.Open("select * from [T]", c, 3, 1);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(db::toText(rs("B").Value()), "y");
}
