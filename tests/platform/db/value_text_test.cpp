// Text forms of values: locale-independent doubles, dates, times, decimals and bytes, and the
// conversions back to Paradox values and working-column values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "db_test_support.h"
#include "platform/db/column_values.h"
#include "platform/db/paradox_values.h"
#include "platform/pdx/format/value_text.h"
#include "platform/pdx/format/codec.h"
#include "platform/shell/errors.h"

using namespace dbtest;

TEST(ValueText, DoublesTakeTheirShortestExactFormWithAPoint) {
    EXPECT_EQ(pdx::formatDouble(0.1), "0.1");
    EXPECT_EQ(pdx::formatDouble(200.36), "200.36");
    EXPECT_EQ(pdx::formatDouble(-200), "-200");
    EXPECT_EQ(pdx::formatDouble(-0.0), "0");
    EXPECT_EQ(pdx::formatDouble(1e20), "100000000000000000000");
    EXPECT_EQ(pdx::formatDouble(0.000001), "0.000001");
    EXPECT_EQ(pdx::formatDouble(1e300), "1e+300");
    for (double d : {0.1, 1.0 / 3, 123456.789, -2.5e-5, 9007199254740993.0, 1e-320, 1.7976931348623157e308})
        EXPECT_EQ(*pdx::parseDouble(pdx::formatDouble(d)), d) << pdx::formatDouble(d);
}

TEST(ValueText, CommaLocaleChangesNoTextForm) {
    CommaLocale comma;
    if (!comma.cLocaleSet()) std::printf("note: no de_DE C locale here; the C++ locale alone has ','\n");
    EXPECT_EQ(pdx::toText(1.5), "1.5");
    EXPECT_EQ(pdx::toText(std::int64_t{1234567}), "1234567");
    EXPECT_EQ(pdx::formatDouble(-0.25), "-0.25");
    EXPECT_EQ(*pdx::parseDouble("2.75"), 2.75);
    EXPECT_FALSE(pdx::parseDouble("2,75"));
    EXPECT_EQ(pdx::formatTimestamp(63716202001000.0), "2020-02-01 01:00:01");
}

// Every kind of value has one text form: the form the import stores and the grid shows.
TEST(ValueText, EveryKindOfValueHasItsTextForm) {
    EXPECT_EQ(pdx::toText(std::monostate{}), "");
    EXPECT_EQ(pdx::toText(std::int64_t{-7}), "-7");
    EXPECT_EQ(pdx::toText(std::string("O'Brien")), "O'Brien");
    EXPECT_EQ(pdx::toText(pdx::Bytes{0x0F, 0xA0}), "0FA0");
    EXPECT_EQ(pdx::hexText(pdx::Bytes{0x0F, 0xA0}, pdx::HexCase::Lower), "0fa0");
    EXPECT_EQ(pdx::toText(true), "True");
    EXPECT_EQ(pdx::toText(false), "False");
    EXPECT_EQ(pdx::toText(pdx::Date{728783}), "1996-05-04");
    EXPECT_EQ(pdx::toText(pdx::Time{3601250}), "01:00:01.250");
    EXPECT_EQ(pdx::toText(pdx::Timestamp{63716202001000.0}), "2020-02-01 01:00:01");
    EXPECT_EQ(pdx::toText(pdx::Decimal{"-0.50"}), "-0.50");
    EXPECT_EQ(pdx::shortestDouble(1e21), "1e+21");
    EXPECT_EQ(pdx::formatDouble(1e21), "1e+21");
    EXPECT_EQ(pdx::shortestDouble(1e20), "1e+20");
    EXPECT_EQ(pdx::formatDouble(1e20), "100000000000000000000");
}

// The printf forms the date and time texts have always had, for every kind of day and time:
// ordinary ones, those before year 1 or past 9999, and times out of a day's range.
TEST(ValueText, DateAndTimeTextsKeepTheirPrintfForms) {
    auto printfDate = [](std::int32_t day) {
        const auto ymd = pdx::ymdFromDayNumber(day);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
        return std::string(buf);
    };
    auto printfTime = [](std::int32_t ms) {
        char buf[48];
        if (ms % 1000)
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                          ms % 1000);
        else std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60);
        return std::string(buf);
    };
    for (std::int32_t day : {-800000, -366, -1, 0, 1, 2, 365, 366, 728783, 3652059, 3652060, 3652425, 40000000})
        EXPECT_EQ(pdx::formatDate(day), printfDate(day)) << day;
    for (std::int32_t day = 1; day < 3700000; day += 997) ASSERT_EQ(pdx::formatDate(day), printfDate(day)) << day;
    for (std::int32_t ms :
         {-3601250, -1, 0, 1, 999, 1000, 59999, 3601250, 86399999, 86400000, 359999999, 360000000, 2147483647})
        EXPECT_EQ(pdx::formatTime(ms), printfTime(ms)) << ms;
    for (std::int32_t ms = 0; ms < 86400000; ms += 86399) ASSERT_EQ(pdx::formatTime(ms), printfTime(ms)) << ms;
    EXPECT_EQ(pdx::formatTimestamp(-1.0), printfDate(0) + " " + printfTime(-1));
    EXPECT_EQ(pdx::formatTimestamp(728783.0 * 86400000 + 3601250), "1996-05-04 01:00:01.250");
}

TEST(ValueText, DatesAndTimes) {
    EXPECT_EQ(pdx::formatDate(728783), "1996-05-04");
    EXPECT_EQ(pdx::parseDate("1996-05-04"), 728783);
    EXPECT_EQ(pdx::formatTime(3601000), "01:00:01");
    EXPECT_EQ(pdx::formatTime(3601250), "01:00:01.250");
    EXPECT_EQ(pdx::parseTime("01:00:01.25"), 3601250);
    EXPECT_EQ(pdx::parseTime("23:59"), 86340000);
    EXPECT_EQ(pdx::formatTimestamp(728783.0 * 86400000 + 1), "1996-05-04 00:00:00.001");
    const auto dt = pdx::parseDateTime("2020-02-01T01:00:01");
    ASSERT_TRUE(dt);
    EXPECT_TRUE(dt->hasTime);
    EXPECT_EQ(dt->ms, 3601000);
    for (const char* bad : {"1996-02-30", "1996-5-4", "abc", "1996-05-04x", "1996-05-04 25:00"}) {
        EXPECT_FALSE(pdx::parseDate(bad)) << bad;
        EXPECT_FALSE(pdx::parseDateTime(bad)) << bad;
    }
    for (const char* bad : {"24:00:00", "12:60", "01:00:01.2345", "1:00"}) EXPECT_FALSE(pdx::parseTime(bad)) << bad;
    EXPECT_EQ(pdx::parseTimestamp("2020-02-01 01:00:01"), pdx::Timestamp{63716202001000.0});
    EXPECT_EQ(pdx::parseTimestamp(" 2020-02-01 "), pdx::Timestamp{63716198400000.0});
    EXPECT_FALSE(pdx::parseTimestamp("2020-02-01 1:00"));
}

// The forms the working table stores are read the short way; they give what the general steps
// give, and refuse what those refuse.
TEST(ValueText, StoredDatesAndTimestampsReadAsTheGeneralStepsReadThem) {
    for (std::int32_t day = 1; day < 800000; day += 997)
        for (const std::int32_t ms : {-1, 0, 1000, 45296000, 86399000, 86399999, 7}) {
            const std::string text = pdx::formatDate(day) + (ms < 0 ? "" : " " + pdx::formatTime(ms));
            const auto dt = pdx::parseDateTime(text);
            ASSERT_TRUE(dt) << text;
            EXPECT_EQ(dt->day, day) << text;
            EXPECT_EQ(dt->ms, std::max(ms, 0)) << text;
            EXPECT_EQ(dt->hasTime, ms >= 0) << text;
        }
    for (const char* bad :
         {"2023-02-29", "1900-02-29", "2024-13-01", "2024-00-10", "2024-01-32", "2024-01-00", "2024-01-01 24:00:00",
          "2024-01-01 23:60:00", "2024-01-01 23:59:60", "2024-01-0x", "2024/01/01", "2024-01-01 12:00:0x",
          "2024-01-01_12:00:00", "2024-01-01 12-00-00", "2024-01-01 12:00:00.1x3", "2024-01-01 12:00:00,123"})
        EXPECT_FALSE(pdx::parseDateTime(bad)) << bad;
    for (const char* good : {"2024-02-29", "2000-02-29", "2024-01-01T12:00:00", " 2024-01-01", "2024-01-01 12:00",
                             "2024-01-01 12:00:00.1"})
        EXPECT_TRUE(pdx::parseDateTime(good)) << good;
}

TEST(ValueText, Logicals) {
    for (const char* yes : {"True", "true", "TRUE", "1", " True "}) EXPECT_EQ(pdx::parseLogical(yes), true) << yes;
    for (const char* no : {"False", "false", "FALSE", "0"}) EXPECT_EQ(pdx::parseLogical(no), false) << no;
    for (const char* bad : {"", "yes", "tRUE", "2", "T"}) EXPECT_FALSE(pdx::parseLogical(bad)) << bad;
}

TEST(ValueText, DecimalsAndHex) {
    EXPECT_EQ(pdx::parseDecimal(" +12345678901234567890.123 "), "12345678901234567890.123");
    EXPECT_EQ(pdx::parseDecimal("-.5"), "-.5");
    for (const char* bad : {"", ".", "1e5", "1,5", "--1", "1.2.3"}) EXPECT_FALSE(pdx::parseDecimal(bad)) << bad;
    EXPECT_EQ(pdx::parseHex("00ffA0"), (pdx::Bytes{0x00, 0xFF, 0xA0}));
    EXPECT_FALSE(pdx::parseHex("0"));
    EXPECT_FALSE(pdx::parseHex("zz"));
    EXPECT_FALSE(pdx::parseHex("+1"));
}

TEST(ValueText, WorkingValuesBackToParadox) {
    using T = pdx::FieldType;
    EXPECT_EQ(db::toParadoxValue(std::string("2018-01-01"), T::Date), pdx::Value(pdx::Date{736695}));
    EXPECT_EQ(db::toParadoxValue(std::string("2018-01-01 00:00:00"), T::Date), pdx::Value(pdx::Date{736695}));
    EXPECT_EQ(db::toParadoxValue(std::string("True"), T::Logical), pdx::Value(true));
    EXPECT_EQ(db::toParadoxValue(std::string("1.50"), T::Bcd), pdx::Value(pdx::Decimal{"1.50"}));
    EXPECT_EQ(db::toParadoxValue(std::string("3100"), T::Bytes), pdx::Value(pdx::Bytes{0x31, 0x00}));
    EXPECT_EQ(db::toParadoxValue(std::int64_t{5}, T::Number), pdx::Value(5.0));
    EXPECT_EQ(db::toParadoxValue(std::string(""), T::Long), pdx::Value(std::monostate{}));
    EXPECT_EQ(db::toParadoxValue(std::int64_t{7}, T::Alpha), pdx::Value(std::string("7")));
    EXPECT_THROW(db::toParadoxValue(std::string("abc"), T::Date), vts::Error);
    EXPECT_THROW(db::toParadoxValue(std::string("2018-01-01 10:00:00"), T::Date), vts::Error);
    EXPECT_THROW(db::toParadoxValue(1.5, T::Long), vts::Error);
    EXPECT_THROW(db::toParadoxValue(std::string("maybe"), T::Logical), vts::Error);
    EXPECT_THROW(db::toParadoxValue(std::int64_t{(1LL << 53) + 1}, T::Number), vts::Error);
    EXPECT_THROW(db::toParadoxValue(pdx::Bytes{1}, T::Memo), vts::Error);
    // A value of no SQLite storage class is read in the form the import would have stored.
    EXPECT_EQ(db::toParadoxValue(pdx::Date{736695}, T::Date), pdx::Value(pdx::Date{736695}));
    EXPECT_EQ(db::toParadoxValue(false, T::Logical), pdx::Value(false));
    EXPECT_EQ(db::toParadoxValue(pdx::Decimal{"1.50"}, T::Bcd), pdx::Value(pdx::Decimal{"1.50"}));
    EXPECT_THROW(db::toParadoxValue(pdx::Time{1}, T::Date), vts::Error);
}

TEST(ValueText, GridValuesAreCheckedAgainstTheColumnType) {
    EXPECT_EQ(db::valueForColumn(std::string(" 42 "), db::JetType::Int), pdx::Value(std::int64_t{42}));
    EXPECT_EQ(db::valueForColumn(std::string("2.5"), db::JetType::Float), pdx::Value(2.5));
    EXPECT_EQ(db::valueForColumn(std::string("007"), db::JetType::Text), pdx::Value(std::string("007")));
    EXPECT_EQ(db::valueForColumn(std::string("0.10"), db::JetType::Decimal), pdx::Value(std::string("0.10")));
    EXPECT_EQ(db::valueForColumn(std::string(""), db::JetType::Int), pdx::Value(std::monostate{}));
    EXPECT_EQ(db::valueForColumn(std::string("FF00"), db::JetType::OleObject), pdx::Value(pdx::Bytes{0xFF, 0x00}));
    EXPECT_THROW(db::valueForColumn(std::string("abc"), db::JetType::Int), vts::Error);
    EXPECT_THROW(db::valueForColumn(std::string("1,5"), db::JetType::Float), vts::Error);
    EXPECT_THROW(db::valueForColumn(std::string("2021-13-01"), db::JetType::DateTime), vts::Error);
    EXPECT_EQ(db::valueForColumn(pdx::Date{736695}, db::JetType::DateTime), pdx::Value(std::string("2018-01-01")));
    EXPECT_EQ(db::valueForColumn(true, db::JetType::Text), pdx::Value(std::string("True")));
}
