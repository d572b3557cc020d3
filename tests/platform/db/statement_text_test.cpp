// Statement texts: the one-statement rule, Jet-to-SQLite translation and the shapes the
// providers carry out themselves.
#include <gtest/gtest.h>

#include "platform/db/jet_translate.h"
#include "platform/db/sql_tokens.h"
#include "platform/db/statement_forms.h"
#include "platform/shell/errors.h"

namespace {

std::string translated(const std::string& sql) { return db::translateJet(sql, db::singleStatement(sql)); }

}  // namespace

TEST(StatementText, OnlyOneStatementWithOneOptionalSemicolon) {
    EXPECT_EQ(db::singleStatement("DROP TABLE `x`").size(), 3u);
    EXPECT_EQ(db::singleStatement("DROP TABLE `x`;  \r\n").size(), 3u);
    for (const char* bad : {"DROP TABLE `x`; DROP TABLE `y`", "DROP TABLE `x`;;", "DROP TABLE x; -- y", ";", "   ",
                            "SELECT 1; SELECT 2;", "DROP TABLE x -- ; DROP TABLE y", "DROP TABLE x /* c */"})
        EXPECT_THROW(db::singleStatement(bad), vts::Error) << bad;
    // A ';' inside quotes or brackets is part of a name or literal.
    EXPECT_EQ(db::singleStatement("INSERT INTO `a;b` VALUES('x;y')").size(), 7u);
    EXPECT_EQ(db::singleStatement("SELECT 'a--b', `/*` FROM [c--d]").size(), 6u);
    EXPECT_EQ(db::singleStatement("SELECT * FROM [a;b]").back().value, "a;b");
}

TEST(StatementText, QuotedNamesUndoubleTheirQuote) {
    const auto t = db::tokenize("[a]]b] `c``d` 'e''f' \"g\"\"h\"");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].value, "a]b");
    EXPECT_EQ(t[1].value, "c`d");
    EXPECT_EQ(t[2].value, "e'f");
    EXPECT_EQ(t[3].value, "g\"h");
    for (const char* bad : {"[abc", "`abc", "'abc", "SELECT 'it''s"}) EXPECT_THROW(db::tokenize(bad), vts::Error) << bad;
}

TEST(StatementText, BracketsBecomeDoubleQuotesAndBackquotesStay) {
    EXPECT_EQ(translated("select * from [a]]b \"c]"), "select * from \"a]b \"\"c\"");
    EXPECT_EQ(translated("DROP TABLE `x``y`;"), "DROP TABLE `x``y`");
    EXPECT_EQ(translated("INSERT INTO `T` VALUES('[not a name]', X'00FF', NULL)"),
              "INSERT INTO `T` VALUES('[not a name]', X'00FF', NULL)");
}

TEST(StatementText, CreateTableColumnTypesKeepTheirValuesExactly) {
    EXPECT_EQ(translated("CREATE TABLE `CUSTOMER`(`ID` INT,`NAME` TEXT,`N` FLOAT,`M` MEMO,`D` DECIMAL,`W` DATETIME,"
                         "`O` OLEOBJECT);"),
              "CREATE TABLE `CUSTOMER`(`ID` INT,`NAME` TEXT,`N` FLOAT,`M` MEMO TEXT,`D` DECIMAL TEXT,"
              "`W` DATETIME TEXT,`O` OLEOBJECT BLOB)");
    // A column named like a type keeps its name; only the word after the name is a type.
    EXPECT_EQ(translated("CREATE TABLE `T`(`MEMO` memo,[DECIMAL] Decimal)"),
              "CREATE TABLE `T`(`MEMO` MEMO TEXT,\"DECIMAL\" DECIMAL TEXT)");
    // Outside CREATE TABLE the words are left alone.
    EXPECT_EQ(translated("SELECT MEMO FROM `T`"), "SELECT MEMO FROM `T`");
}

TEST(StatementText, ProviderShapes) {
    EXPECT_EQ(db::selectAllFrom(db::singleStatement("SELECT * FROM `a``b`;")), "a`b");
    EXPECT_EQ(db::selectAllFrom(db::singleStatement("select * from [x]")), "x");
    EXPECT_FALSE(db::selectAllFrom(db::singleStatement("SELECT * FROM `a` WHERE 1")));
    EXPECT_FALSE(db::selectAllFrom(db::singleStatement("SELECT a FROM `a`")));
    EXPECT_EQ(db::dropTable(db::singleStatement("drop table `Q`")), "Q");
    EXPECT_FALSE(db::dropTable(db::singleStatement("DROP TABLE `a`, `b`")));
}
