// What each kind of grid column accepts, and what it stores.
#include <gtest/gtest.h>

#include "pages/cell_rules.h"

namespace vts {
namespace {

pdx::Value stored(const CellRule& rule, const std::string& text) {
    const CellInput in = parseCellInput(rule, text);
    EXPECT_TRUE(in.ok) << text << ": " << in.reason;
    return in.value;
}

bool refused(const CellRule& rule, const std::string& text) {
    const CellInput in = parseCellInput(rule, text);
    return !in.ok && !in.reason.empty();
}

TEST(CellRules, EmptyInputIsNullInEveryColumn) {
    using J = db::JetType;
    for (const J jet : {J::Int, J::Float, J::Decimal, J::DateTime, J::Text, J::Memo})
        EXPECT_TRUE(pdx::isNull(stored(cellRuleFor(jet, std::nullopt), ""))) << db::jetName(jet);
}

TEST(CellRules, WholeNumbersWithinTheFieldRange) {
    const CellRule shortRule = cellRuleFor(db::JetType::Int, pdx::Field{"n", pdx::FieldType::Short, 2});
    EXPECT_EQ(std::get<std::int64_t>(stored(shortRule, "-32767")), -32767);
    EXPECT_TRUE(refused(shortRule, "32768"));
    EXPECT_TRUE(refused(shortRule, "1.5"));
    EXPECT_TRUE(refused(shortRule, "12a"));
    EXPECT_EQ(std::get<std::int64_t>(stored(shortRule, " +7 ")), 7);  // the form the write-back reads too
    const CellRule longRule = cellRuleFor(db::JetType::Int, pdx::Field{"n", pdx::FieldType::Long, 4});
    EXPECT_TRUE(refused(longRule, "2147483648"));
    EXPECT_EQ(std::get<std::int64_t>(stored(cellRuleFor(db::JetType::Int, std::nullopt), "9000000000")), 9000000000LL);
}

TEST(CellRules, NumbersUseThePointWhateverTheLocale) {
    const CellRule rule = cellRuleFor(db::JetType::Float, std::nullopt);
    EXPECT_DOUBLE_EQ(std::get<double>(stored(rule, "200.36")), 200.36);
    EXPECT_DOUBLE_EQ(std::get<double>(stored(rule, "-1e3")), -1000);
    EXPECT_TRUE(refused(rule, "1,5"));
    EXPECT_TRUE(refused(rule, "abc"));
}

TEST(CellRules, DecimalsKeepTheirExactText) {
    const CellRule bcd = cellRuleFor(db::JetType::Decimal, pdx::Field{"b", pdx::FieldType::Bcd, 2});
    EXPECT_EQ(std::get<std::string>(stored(bcd, "12345678901234567890.12")), "12345678901234567890.12");
    EXPECT_TRUE(refused(bcd, "1.234"));
    EXPECT_TRUE(refused(bcd, "1.2.3"));
    EXPECT_TRUE(refused(cellRuleFor(db::JetType::Decimal, std::nullopt), std::string(33, '9')));
}

// What the write-back would refuse is refused while typing: digits before a BCD field's point,
// characters the table's code page lacks, and Alpha texts too long in that code page's bytes.
TEST(CellRules, LimitsOfTheParadoxFieldAreCheckedAtTheEditor) {
    const CellRule bcd2 = cellRuleFor(db::JetType::Decimal, pdx::Field{"d", pdx::FieldType::Bcd, 2});
    EXPECT_EQ(std::get<std::string>(stored(bcd2, std::string(30, '9') + ".99")), std::string(30, '9') + ".99");
    EXPECT_TRUE(refused(bcd2, std::string(31, '9')));
    stored(bcd2, "000" + std::string(30, '1'));  // leading zeros are no digits of the value
    EXPECT_TRUE(refused(bcd2, "."));

    auto cp = [](int page) { return std::make_shared<pdx::CodePage>(page); };
    const CellRule alpha437 = cellRuleFor(db::JetType::Text, pdx::Field{"a", pdx::FieldType::Alpha, 10}, cp(437));
    stored(alpha437, "caf\xC3\xA9");                    // é is in 437
    EXPECT_TRUE(refused(alpha437, "10 \xE2\x82\xAC"));  // the euro sign is not
    const CellRule memo437 = cellRuleFor(db::JetType::Memo, pdx::Field{"m", pdx::FieldType::Memo, 11}, cp(437));
    EXPECT_TRUE(refused(memo437, "\xE2\x82\xAC"));
    const CellRule alpha936 = cellRuleFor(db::JetType::Text, pdx::Field{"a", pdx::FieldType::Alpha, 4}, cp(936));
    stored(alpha936, "\xE4\xB8\xAD\xE6\x96\x87");                            // two characters, four bytes
    EXPECT_TRUE(refused(alpha936, "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97"));  // three: six bytes
}

TEST(CellRules, DatesTimesAndTimestamps) {
    const CellRule date = cellRuleFor(db::JetType::DateTime, pdx::Field{"d", pdx::FieldType::Date, 4});
    EXPECT_EQ(std::get<std::string>(stored(date, "2024-02-29")), "2024-02-29");
    EXPECT_TRUE(refused(date, "2023-02-29"));
    EXPECT_TRUE(refused(date, "2023-02-28 10:00:00"));
    const CellRule any = cellRuleFor(db::JetType::DateTime, std::nullopt);
    EXPECT_EQ(std::get<std::string>(stored(any, "2020-02-01 01:00:01")), "2020-02-01 01:00:01");
    EXPECT_TRUE(refused(any, "2020-02-01 24:00:00"));
    const CellRule time = cellRuleFor(db::JetType::Text, pdx::Field{"t", pdx::FieldType::Time, 4});
    EXPECT_EQ(std::get<std::string>(stored(time, "23:59:59.999")), "23:59:59.999");
    EXPECT_TRUE(refused(time, "7 pm"));
    // The forms the write-back reads are accepted, and stored in the one written form.
    EXPECT_EQ(std::get<std::string>(stored(any, "2020-02-01T01:00:01")), "2020-02-01 01:00:01");
    EXPECT_EQ(std::get<std::string>(stored(date, " 2024-02-29 ")), "2024-02-29");
    EXPECT_EQ(std::get<std::string>(stored(time, "23:59")), "23:59:00");
    EXPECT_EQ(std::get<std::string>(stored(any, "2020-02-01")), "2020-02-01");  // no time: none is added
}

TEST(CellRules, LogicalBytesAndText) {
    const CellRule logical = cellRuleFor(db::JetType::Text, pdx::Field{"l", pdx::FieldType::Logical, 1});
    EXPECT_EQ(std::get<std::string>(stored(logical, "true")), "True");
    EXPECT_EQ(std::get<std::string>(stored(logical, "0")), "False");
    EXPECT_TRUE(refused(logical, "yes"));
    const CellRule bytes = cellRuleFor(db::JetType::Text, pdx::Field{"y", pdx::FieldType::Bytes, 2});
    EXPECT_EQ(std::get<std::string>(stored(bytes, "0aFF")), "0AFF");
    EXPECT_TRUE(refused(bytes, "0A0B0C"));
    EXPECT_TRUE(refused(bytes, "0G"));
    const CellRule alpha = cellRuleFor(db::JetType::Text, pdx::Field{"a", pdx::FieldType::Alpha, 3});
    EXPECT_EQ(std::get<std::string>(stored(alpha, "Zoë")), "Zoë");  // three characters, four bytes
    EXPECT_TRUE(refused(alpha, "Zoës"));
}

TEST(CellRules, BlobsAreShownButNotEditable) {
    const CellRule blob = cellRuleFor(db::JetType::OleObject, std::nullopt);
    EXPECT_FALSE(blob.editable());
    EXPECT_TRUE(refused(blob, "x"));
    EXPECT_TRUE(cellRuleFor(db::JetType::Memo, std::nullopt).multiLine());
}

// The table's minimum and maximum are compared on the column's own scale, after its picture.
TEST(CellRules, TheTablesBoundsHoldOnTheColumnsScale) {
    CellRule date = cellRuleFor(db::JetType::DateTime, pdx::Field{"d", pdx::FieldType::Date, 4});
    addFieldCheck(date, {false, pdx::Date{730120}, {}, {}, ""});  // 2000-01-01
    EXPECT_TRUE(refused(date, "1999-12-31"));
    EXPECT_FALSE(refused(date, "2000-01-01"));
    CellRule bcd = cellRuleFor(db::JetType::Decimal, pdx::Field{"b", pdx::FieldType::Bcd, 2});
    addFieldCheck(bcd, {false, {}, pdx::Decimal{"10.50"}, {}, ""});
    EXPECT_TRUE(refused(bcd, "10.51"));
    EXPECT_FALSE(refused(bcd, "9.99"));
    EXPECT_FALSE(refused(bcd, "-99999999999999999999999999.99"));
    addFieldCheck(bcd, {false, pdx::Decimal{"-12345678901234567890.01"}, {}, {}, ""});  // beyond a double's digits
    EXPECT_TRUE(refused(bcd, "-12345678901234567890.02"));
    EXPECT_FALSE(refused(bcd, "-12345678901234567890"));
    CellRule year = cellRuleFor(db::JetType::Int, pdx::Field{"y", pdx::FieldType::Short, 2});
    addFieldCheck(year, {false, std::int64_t{1900}, {}, {}, "19##"});
    EXPECT_EQ(std::get<std::int64_t>(stored(year, "1985")), 1985);
    EXPECT_TRUE(refused(year, "2085"));
}

}  // namespace
}  // namespace vts
