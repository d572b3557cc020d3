// The import's prepared insert: every value stores what SQLite stores for the same text written
// as a literal, REAL columns get the nearest double, and the statement follows its table.
#include <gtest/gtest.h>

#include "db_test_support.h"
#include "platform/db/row_inserter.h"
#include "platform/pdx/format/value_text.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

// Every affinity the working tables use, and the two SQLite has besides.
const char* kColumns =
    "(`I` INT,`F` FLOAT,`S` TEXT,`M` MEMO TEXT,`D` DECIMAL TEXT,`W` DATETIME TEXT,"
    "`O` OLEOBJECT BLOB,`N` NUMERIC,`U`)";
constexpr int kColumnCount = 9;

// The same literal in every column.
std::string insertInto(const std::string& table, const std::string& literal) {
    std::string sql = "INSERT INTO `" + table + "` VALUES(";
    for (int i = 0; i < kColumnCount; ++i) sql += (i ? ", " : "") + literal;
    return sql + ")";
}

// The value a literal of the old statement text stood for, as the import now binds it.
pdx::Value boundValue(const std::string& literal) {
    if (literal == "NULL" || literal == "null" || literal == "Null") return {};
    if (literal.front() == '\'') {
        std::string text;
        for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
            text += literal[i];
            if (literal[i] == '\'') ++i;  // '' stands for one quote
        }
        return text;
    }
    if (literal[0] == 'X' || literal[0] == 'x') return *pdx::parseHex(literal.substr(2, literal.size() - 3));
    return std::int64_t{std::stoll(literal)};
}

struct Stored {
    std::string type;
    pdx::Value value;
    bool operator==(const Stored&) const = default;
};

std::vector<Stored> storedRows(const db::SqliteDb& db, const std::string& table) {
    const std::string sql =
        "SELECT typeof(I), I, typeof(F), F, typeof(S), S, typeof(M), M, typeof(D), D, typeof(W), W, "
        "typeof(O), O, typeof(N), N, typeof(U), U FROM `" +
        table + "` ORDER BY rowid";
    db::Statement st(db, sql);
    std::vector<Stored> out;
    while (st.step())
        for (int i = 0; i < kColumnCount; ++i) out.push_back({pdx::toText(st.column(2 * i)), st.column(2 * i + 1)});
    return out;
}

class RowInserterTest : public ::testing::Test {
protected:
    RowInserterTest() : db_((dir_.path() / "t.sqlite").string(), false, true) {
        db_.exec(std::string("CREATE TABLE `FAST`") + kColumns);
        db_.exec(std::string("CREATE TABLE `PLAIN`") + kColumns);
    }
    TempDir dir_;
    db::SqliteDb db_;
};

}  // namespace

TEST_F(RowInserterTest, ValuesStoreWhatSqliteStoresForTheSameLiteral) {
    const std::vector<std::string> literals{"''",
                                            "'abc'",
                                            "'O''Brien'",
                                            "''''",
                                            "'a''''b'",
                                            "'7'",
                                            "'007'",
                                            "' 7'",
                                            "'7 '",
                                            "'-7'",
                                            "'+7'",
                                            "'-0'",
                                            "'1.5'",
                                            "'1.50'",
                                            "'-2.5e3'",
                                            "'1E+3'",
                                            "'.5'",
                                            "'5.'",
                                            "'0.1'",
                                            "'1.0'",
                                            "'3.0e0'",
                                            "'9223372036854775807'",
                                            "'9223372036854775808'",
                                            "'-9223372036854775808'",
                                            "'-9223372036854775809'",
                                            "'100000000000000000000'",
                                            "'123456789012345678901234567890'",
                                            "'0x10'",
                                            "'12abc'",
                                            "'NaN'",
                                            "'Inf'",
                                            "'1e999'",
                                            "'2024-01-31'",
                                            "'2024-01-31 10:00:00'",
                                            "'True'",
                                            "'ünï ☃'",
                                            "'a;b'",
                                            "'--x'",
                                            "'/*x*/'",
                                            "'\"q\"'",
                                            "'`b`'",
                                            "'tab\there'",
                                            "'line\nbreak'",
                                            "X''",
                                            "X'00FF'",
                                            "x'abCD'",
                                            "X'27'",
                                            "NULL",
                                            "null",
                                            "Null",
                                            "0",
                                            "-0",
                                            "7",
                                            "-7",
                                            "007",
                                            "000000000000000001",
                                            "123456789012345678",
                                            "-123456789012345678",
                                            "999999999999999999",
                                            "-999999999999999999"};
    db::RowInserter fast(db_, "FAST");
    for (const auto& literal : literals) {
        SCOPED_TRACE(literal);
        fast.insert(std::vector<pdx::Value>(kColumnCount, boundValue(literal)));
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
TEST_F(RowInserterTest, FloatColumnsGetTheNearestDouble) {
    db_.exec("CREATE TABLE `R`(`F` FLOAT, `S` TEXT)");
    const std::vector<std::string> texts{"32.149581516499246", "-568592.8372141", "4576614497.6606035", "0.1", "1e21",
                                         "-2.5e-300"};
    db::RowInserter r(db_, "R");
    for (const auto& t : texts) r.insert({t, t});
    db::Statement st(db_, "SELECT typeof(F), F, S FROM `R` ORDER BY rowid");
    for (const auto& t : texts) {
        ASSERT_TRUE(st.step());
        EXPECT_EQ(pdx::toText(st.column(0)), "real") << t;
        EXPECT_EQ(std::get<double>(st.column(1)), std::strtod(t.c_str(), nullptr)) << t;
        EXPECT_EQ(pdx::toText(st.column(2)), t);  // a TEXT column keeps the text
    }
}

// A logical, date, time, timestamp or decimal goes in as the text the import stores for it, from
// the prepared insert and from a statement's own binding alike.
TEST_F(RowInserterTest, OtherValuesAreStoredAsTheirText) {
    db_.exec("CREATE TABLE `V`(`A`, `B`, `C`, `D`, `E` FLOAT)");
    db::RowInserter r(db_, "V");
    r.insert({pdx::Date{728783}, true, pdx::Time{3601250}, pdx::Timestamp{63716202001000.0}, pdx::Decimal{"-2.50"}});
    db::Statement st(db_, "SELECT A, B, C, D, typeof(E), E FROM `V`");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.column(0), pdx::Value(std::string("1996-05-04")));
    EXPECT_EQ(st.column(1), pdx::Value(std::string("True")));
    EXPECT_EQ(st.column(2), pdx::Value(std::string("01:00:01.250")));
    EXPECT_EQ(st.column(3), pdx::Value(std::string("2020-02-01 01:00:01")));
    EXPECT_EQ(st.column(4), pdx::Value(std::string("real")));
    EXPECT_EQ(st.column(5), pdx::Value(-2.5));
    db::Statement match(db_, "SELECT count(*) FROM `V` WHERE A = ? AND B = ? AND D = ?");
    match.bind(1, pdx::Date{728783});
    match.bind(2, true);
    match.bind(3, pdx::Timestamp{63716202001000.0});
    ASSERT_TRUE(match.step());
    EXPECT_EQ(match.columnInt(0), 1);
}

TEST_F(RowInserterTest, TheStatementFollowsItsTableAndFailuresSayWhy) {
    db_.exec("CREATE TABLE `a``b`(x INT NOT NULL, y)");
    db::RowInserter odd(db_, "a`b");  // a name with a quote character
    odd.insert({std::string("7"), std::string("p'")});
    try {
        odd.insert({pdx::Value{}, std::string("q")});
        FAIL() << "NULL went into a NOT NULL column";
    } catch (const vts::Error& e) {
        EXPECT_STREQ(e.what(), "NOT NULL constraint failed: a`b.x");
    }
    EXPECT_THROW(odd.insert({std::string("1")}), vts::Error);  // one value for two columns
    db::Statement st(db_, "SELECT typeof(x), x, y, count(*) FROM `a``b`");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(pdx::toText(st.column(0)), "integer");
    EXPECT_EQ(st.column(2), pdx::Value(std::string("p'")));
    EXPECT_EQ(st.columnInt(3), 1);
    st.reset();
    EXPECT_THROW(db::RowInserter(db_, "MISSING"), vts::Error);

    // Changed on the same connection: SQLite plans the statement again.
    db::RowInserter fast(db_, "FAST");
    fast.insert(std::vector<pdx::Value>(kColumnCount, std::string("1")));
    db_.exec("DROP TABLE `FAST`");
    db_.exec("CREATE TABLE `FAST`(`A` TEXT,`B` INT,`C`,`D`,`E`,`F`,`G`,`H`,`I`)");
    fast.insert(std::vector<pdx::Value>(kColumnCount, std::string("2")));
    db::Statement check(db_, "SELECT typeof(A), typeof(B), count(*) FROM `FAST`");
    ASSERT_TRUE(check.step());
    EXPECT_EQ(pdx::toText(check.column(0)), "text");
    EXPECT_EQ(pdx::toText(check.column(1)), "integer");
    EXPECT_EQ(check.columnInt(2), 1);
}

TEST(WorkingDatabaseInserts, FailuresNameTheirReasonAndTheTableCanBeMadeAnew) {
    TempDir dir;
    db::Connection c;
    c.Mode(3);
    c.Open(workingString(dir));
    sqlite(dir, "CREATE TABLE `T`(`A` INT NOT NULL)");
    c.InsertRow("T", {std::string("1")});
    try {
        c.InsertRow("T", {pdx::Value{}});
        FAIL() << "NULL went into a NOT NULL column";
    } catch (const vts::Error& e) {
        EXPECT_STREQ(e.what(), "NOT NULL constraint failed: T.A");
    }
    try {
        c.InsertRow("MISSING", {std::string("1")});
        FAIL() << "an insert into a missing table succeeded";
    } catch (const vts::Error& e) {
        EXPECT_STREQ(e.what(), "no such table: MISSING");
    }
    // The prepared insert does not hold the table: it can be dropped and made anew at once.
    c.InsertRow("T", {std::string("2")});
    c.DropTable("T");
    c.CreateTable("T", {{"A", db::JetType::Text}, {"B", db::JetType::Text}});
    c.InsertRow("T", {std::string("x"), std::string("y")});
    EXPECT_EQ(c.RowCount("T"), 1);
    EXPECT_EQ(c.OpenGridSource("T")->Fetch(0, 1).at(0).values[1], pdx::Value(std::string("y")));
}
