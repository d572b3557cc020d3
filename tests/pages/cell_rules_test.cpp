// What each kind of grid column accepts, and what it stores.
#include <gtest/gtest.h>

#include "pages/cell_rules.h"

namespace vts {
namespace {

db::Variant stored(const CellRule& rule, const std::string& text) {
    const CellInput in = parseCellInput(rule, text);
    EXPECT_TRUE(in.ok) << text << ": " << in.reason;
    return in.value;
}

bool refused(const CellRule& rule, const std::string& text) {
    const CellInput in = parseCellInput(rule, text);
    return !in.ok && !in.reason.empty();
}

TEST(CellRules, EmptyInputIsNullInEveryColumn) {
    for (const char* jet : {"INT", "FLOAT", "DECIMAL", "DATETIME", "TEXT", "MEMO"})
        EXPECT_TRUE(db::isNull(stored(cellRuleFor(jet, std::nullopt), ""))) << jet;
}

TEST(CellRules, WholeNumbersWithinTheFieldRange) {
    const CellRule shortRule = cellRuleFor("INT", pdx::Field{"n", pdx::FieldType::Short, 2});
    EXPECT_EQ(std::get<std::int64_t>(stored(shortRule, "-32767")), -32767);
    EXPECT_TRUE(refused(shortRule, "32768"));
    EXPECT_TRUE(refused(shortRule, "1.5"));
    EXPECT_TRUE(refused(shortRule, "12a"));
    const CellRule longRule = cellRuleFor("INT", pdx::Field{"n", pdx::FieldType::Long, 4});
    EXPECT_TRUE(refused(longRule, "2147483648"));
    EXPECT_EQ(std::get<std::int64_t>(stored(cellRuleFor("INT", std::nullopt), "9000000000")), 9000000000LL);
}

TEST(CellRules, NumbersUseThePointWhateverTheLocale) {
    const CellRule rule = cellRuleFor("FLOAT", std::nullopt);
    EXPECT_DOUBLE_EQ(std::get<double>(stored(rule, "200.36")), 200.36);
    EXPECT_DOUBLE_EQ(std::get<double>(stored(rule, "-1e3")), -1000);
    EXPECT_TRUE(refused(rule, "1,5"));
    EXPECT_TRUE(refused(rule, "abc"));
}

TEST(CellRules, DecimalsKeepTheirExactText) {
    const CellRule bcd = cellRuleFor("DECIMAL", pdx::Field{"b", pdx::FieldType::Bcd, 2});
    EXPECT_EQ(std::get<std::string>(stored(bcd, "12345678901234567890.12")), "12345678901234567890.12");
    EXPECT_TRUE(refused(bcd, "1.234"));
    EXPECT_TRUE(refused(bcd, "1.2.3"));
    EXPECT_TRUE(refused(cellRuleFor("DECIMAL", std::nullopt), std::string(33, '9')));
}

TEST(CellRules, DatesTimesAndTimestamps) {
    const CellRule date = cellRuleFor("DATETIME", pdx::Field{"d", pdx::FieldType::Date, 4});
    EXPECT_EQ(std::get<std::string>(stored(date, "2024-02-29")), "2024-02-29");
    EXPECT_TRUE(refused(date, "2023-02-29"));
    EXPECT_TRUE(refused(date, "2023-02-28 10:00:00"));
    const CellRule any = cellRuleFor("DATETIME", std::nullopt);
    EXPECT_EQ(std::get<std::string>(stored(any, "2020-02-01 01:00:01")), "2020-02-01 01:00:01");
    EXPECT_TRUE(refused(any, "2020-02-01 24:00:00"));
    const CellRule time = cellRuleFor("TEXT", pdx::Field{"t", pdx::FieldType::Time, 4});
    EXPECT_EQ(std::get<std::string>(stored(time, "23:59:59.999")), "23:59:59.999");
    EXPECT_TRUE(refused(time, "7 pm"));
}

TEST(CellRules, LogicalBytesAndText) {
    const CellRule logical = cellRuleFor("TEXT", pdx::Field{"l", pdx::FieldType::Logical, 1});
    EXPECT_EQ(std::get<std::string>(stored(logical, "true")), "True");
    EXPECT_TRUE(refused(logical, "yes"));
    const CellRule bytes = cellRuleFor("TEXT", pdx::Field{"y", pdx::FieldType::Bytes, 2});
    EXPECT_EQ(std::get<std::string>(stored(bytes, "0aFF")), "0AFF");
    EXPECT_TRUE(refused(bytes, "0A0B0C"));
    EXPECT_TRUE(refused(bytes, "0G"));
    const CellRule alpha = cellRuleFor("TEXT", pdx::Field{"a", pdx::FieldType::Alpha, 3});
    EXPECT_EQ(std::get<std::string>(stored(alpha, "Zoë")), "Zoë");  // three characters, four bytes
    EXPECT_TRUE(refused(alpha, "Zoës"));
}

TEST(CellRules, BlobsAreShownButNotEditable) {
    const CellRule blob = cellRuleFor("OLEOBJECT", std::nullopt);
    EXPECT_FALSE(blob.editable());
    EXPECT_TRUE(refused(blob, "x"));
    EXPECT_TRUE(cellRuleFor("MEMO", std::nullopt).multiLine());
}

}  // namespace
}  // namespace vts
