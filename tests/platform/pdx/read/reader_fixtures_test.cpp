// Reading the real tables of the fixtures: every field type, code pages, keys, levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/pdx/format/codec.h"
#include "tests/platform/pdx/pdx_test_support.h"

using namespace pdxtest;
using pdx::FieldType;
using pdx::isNull;

namespace {

std::int64_t i64(const pdx::Value& v) { return as<std::int64_t>(v); }
double dbl(const pdx::Value& v) { return as<double>(v); }
const std::string& str(const pdx::Value& v) { return as<std::string>(v); }
std::int32_t day(int y, int m, int d) { return pdx::dayNumberFromYmd(y, m, d); }
std::int32_t ms(int h, int m, int s) { return ((h * 60 + m) * 60 + s) * 1000; }

}  // namespace

TEST(ReaderFields, IntegersAndAutoincrement) {
    const auto t = readAll(fixture("fields/long.db"));
    ASSERT_EQ(t.info.schema.fields.size(), 2u);
    EXPECT_EQ(t.info.schema.fields[0], (pdx::Field{"Id", FieldType::AutoInc, 4}));
    EXPECT_EQ(t.info.schema.fields[1], (pdx::Field{"LONG", FieldType::Long, 4}));
    EXPECT_EQ(t.info.schema.keyFields, 1);
    ASSERT_EQ(t.records.size(), 3u);
    EXPECT_EQ(i64(t.records[0][0]), 1);
    EXPECT_EQ(i64(t.records[2][0]), 3);
    EXPECT_EQ(i64(t.records[1][1]), 2);
    EXPECT_TRUE(isNull(t.records[2][1]));

    const auto shorts = readAll(fixture("joins/joina.db"));
    EXPECT_EQ(shorts.info.schema.fields[0].type, FieldType::Short);
    ASSERT_EQ(shorts.records.size(), 3u);
    EXPECT_EQ(i64(shorts.records[2][0]), 3);

    const auto general = readAll(fixture("db/GENERAL.DB"));
    EXPECT_EQ(i64(general.records[2][0]), 333333333);
}

TEST(ReaderFields, NumberAndCurrency) {
    const auto t = readAll(fixture("db/DECIMAL.DB"));
    std::vector<double> values;
    for (const auto& r : t.records) values.push_back(dbl(r[0]));
    EXPECT_EQ(values, (std::vector<double>{-200, -20, -1, 1, 20, 200, 200.36, 1.37, -1.387}));

    const auto general = readAll(fixture("db/GENERAL.DB"));
    EXPECT_EQ(general.info.schema.fields[2].type, FieldType::Currency);
    EXPECT_EQ(dbl(general.records[0][2]), 100.0);
    EXPECT_EQ(dbl(general.records[2][2]), 75.0);

    const auto orders = readAll(fixture("db/ORDERS.DB"));
    EXPECT_EQ(dbl(orders.records[0][5]), 7320.0);  // Total Invoice
    EXPECT_EQ(dbl(orders.records[0][7]), 0.0);     // Balance Due 0.00 is a value, not blank
}

TEST(ReaderFields, DatesTimesAndTimestamps) {
    const auto d5 = readAll(fixture("fields/date5.db"));
    ASSERT_EQ(d5.records.size(), 3u);
    EXPECT_EQ(as<pdx::Date>(d5.records[0][0]).day, day(2018, 1, 1));
    EXPECT_EQ(as<pdx::Date>(d5.records[1][0]).day, day(2018, 2, 1));
    EXPECT_EQ(as<pdx::Time>(d5.records[0][1]).ms, ms(10, 0, 0));
    EXPECT_EQ(as<pdx::Time>(d5.records[2][1]).ms, ms(9, 25, 25));

    const auto d7 = readAll(fixture("fields/date7.db"));
    ASSERT_EQ(d7.records.size(), 5u);
    EXPECT_TRUE(isNull(d7.records[3][0]));
    EXPECT_TRUE(isNull(d7.records[4][1]));

    const auto time = readAll(fixture("fields/time.db"));
    EXPECT_EQ(as<pdx::Time>(time.records[0][0]).ms, ms(1, 0, 1));
    EXPECT_TRUE(isNull(time.records[1][0]));
    EXPECT_EQ(as<pdx::Time>(time.records[2][0]).ms, ms(3, 0, 3));

    const auto ts = readAll(fixture("fields/timestamp.db"));
    EXPECT_TRUE(isNull(ts.records[0][0]));
    EXPECT_EQ(as<pdx::Timestamp>(ts.records[1][0]).ms, day(2020, 2, 1) * 86400000.0 + ms(1, 0, 1));
}

TEST(ReaderFields, LogicalBcdAndBytes) {
    const auto logical = readAll(fixture("fields/logical.db"));
    std::vector<bool> flags;
    for (const auto& r : logical.records) flags.push_back(as<bool>(r[0]));
    EXPECT_EQ(flags, (std::vector<bool>{true, false, true, true}));

    const auto bcd = readAll(fixture("fields/bcd.db"));
    EXPECT_EQ(bcd.info.schema.fields[0], (pdx::Field{"A", FieldType::Bcd, 2}));
    EXPECT_EQ(bcd.info.schema.fields[2].size, 32);
    auto text = [&](int row, int field) { return as<pdx::Decimal>(bcd.records[row][field]).text; };
    EXPECT_EQ(text(0, 0), "1.23");
    EXPECT_EQ(text(1, 0), "-1.23");
    EXPECT_EQ(text(2, 0), "0.00");
    EXPECT_EQ(text(0, 1), "1");
    EXPECT_EQ(text(1, 1), "-1");
    EXPECT_TRUE(isNull(bcd.records[2][1]));
    EXPECT_EQ(text(0, 2), "0.12299999999999999800000000000000");
    EXPECT_EQ(text(1, 2), "-0.12299999999999999800000000000000");
    EXPECT_EQ(text(2, 2), "0.99990000000000001180000000000000");

    const auto bytes = readAll(fixture("fields/bytes.db"));
    const auto& b = as<pdx::Bytes>(bytes.records[0][0]);
    ASSERT_EQ(b.size(), 255u);  // the whole stored field
    EXPECT_EQ(pdx::Bytes(b.begin(), b.begin() + 7), (pdx::Bytes{0x31, 0, 0x32, 0, 0x33, 0, 0}));
}

TEST(ReaderLevels, EveryLevelReadsTheSameDates) {
    for (const char* file : {"fields/date35.db", "fields/date4.db", "fields/date5.db", "fields/date7.db"}) {
        const auto t = readAll(fixture(file));
        ASSERT_GE(t.records.size(), 3u) << file;
        EXPECT_EQ(as<pdx::Date>(t.records[0][0]).day, day(2018, 1, 1)) << file;
        EXPECT_EQ(as<pdx::Date>(t.records[2][0]).day, day(2018, 1, 2)) << file;
    }
    const auto d35 = readAll(fixture("fields/date35.db"));
    EXPECT_EQ(d35.info.levelText, "3.5");
    EXPECT_EQ(d35.info.schema.codePage, 437);  // 3.x stores none
    EXPECT_EQ(readAll(fixture("fields/date4.db")).info.levelText, "4.x");
    EXPECT_EQ(readAll(fixture("fields/date5.db")).info.levelText, "5.x");
    EXPECT_EQ(readAll(fixture("db/CUSTOMER.DB")).info.levelText, "7.x");
}

TEST(ReaderCodePages, TextDecodesToUtf8) {
    const auto roman8 = readAll(fixture("db/ROMAN8.db"));
    EXPECT_EQ(roman8.info.schema.codePage, 0);
    EXPECT_EQ(roman8.info.schema.sortOrderId, "BLROM800");
    EXPECT_EQ(str(roman8.records[0][0]), "\xC5\xA0\xC2\xBD\xC6\x92\xC2\xB6");  // Š½ƒ¶

    const auto areas = readAll(fixture("db/AREACODES.DB"));
    EXPECT_EQ(areas.info.schema.codePage, 1252);
    ASSERT_EQ(areas.records.size(), 370u);
    const auto sanJose = std::find_if(areas.records.begin(), areas.records.end(),
                                      [](const pdx::Record& r) { return str(r[0]) == "408"; });
    ASSERT_NE(sanJose, areas.records.end());
    EXPECT_EQ(str((*sanJose)[2]), "San Jos\xC3\xA9");

    const auto general = readAll(fixture("db/GENERAL.DB"));
    EXPECT_EQ(general.info.schema.codePage, 936);
    EXPECT_EQ(general.info.schema.sortOrderId, "china");
    EXPECT_EQ(str(general.records[1][1]), "Katty");

    const auto orders = readAll(fixture("db/ORDERS.DB"));
    EXPECT_EQ(orders.info.schema.codePage, 437);
    ASSERT_EQ(orders.records.size(), 224u);
    EXPECT_EQ(dbl(orders.records[0][0]), 1001.0);
    EXPECT_EQ(as<pdx::Date>(orders.records[0][2]).day, day(1988, 4, 3));
    EXPECT_EQ(str(orders.records[0][4]), "UPS");
    EXPECT_EQ(orders.info.schema.fields[4].name, "Ship VIA");
}

TEST(ReaderKeys, KeyedTablesReportTheirKey) {
    const auto server = readAll(fixture("db/SERVER.DB"));
    EXPECT_EQ(server.info.schema.keyFields, 2);
    ASSERT_EQ(server.records.size(), 4u);
    EXPECT_EQ(str(server.records[0][0]), "G");
    EXPECT_EQ(str(server.records[0][1]), "/MAILLIST.HTM");
    EXPECT_EQ(str(server.records[3][3]), "OUTPUT_FILTERED_MAIL_LIST");
    EXPECT_EQ(readAll(fixture("joins/two.db")).info.schema.keyFields, 2);
    EXPECT_EQ(readAll(fixture("db/CONTACTS.DB")).info.schema.keyFields, 0);
}

TEST(ReaderFixtures, PasswordProtectedTablesAreRefusedClearly) {
    for (const char* file : {"encrypt/encrypted.db", "encrypt/encrypted35.db", "encrypt/encryptedmemo.db"}) {
        const auto path = fixture(file);
        const std::string msg = errorOf([&] { pdx::TableReader r(path); });
        EXPECT_NE(msg.find("password-protected"), std::string::npos) << msg;
        EXPECT_NE(msg.find(path.string()), std::string::npos) << msg;
    }
}

TEST(ReaderFixtures, EmptyTablesHaveNoRecords) {
    for (const char* file : {"joins/primary.db", "joins/fk1.db", "joins/indexed.db", "joins/paradox-ascii.db"}) {
        const auto t = readAll(fixture(file));
        EXPECT_EQ(t.info.recordCount, 0u) << file;
        EXPECT_TRUE(t.records.empty()) << file;
    }
}

// Every table of the fixtures reads to the end with as many rows as it counts, or is refused
// as password-protected.
TEST(ReaderFixtures, EveryTableReadsCompletely) {
    int tables = 0;
    for (const fs::path& db : vts::test::fixtureTables(true)) {
        ++tables;
        std::string msg;
        std::size_t rows = 0;
        std::uint32_t count = 0;
        msg = errorOf([&] {
            const auto t = readAll(db);
            rows = t.records.size();
            count = t.info.recordCount;
            for (const auto& r : t.records) ASSERT_EQ(r.size(), t.info.schema.fields.size());
        });
        if (vts::test::isProtectedFixture(db)) {
            EXPECT_NE(msg.find("password-protected"), std::string::npos) << db << ": " << msg;
        } else {
            EXPECT_EQ(msg, "") << db;
            EXPECT_EQ(rows, count) << db;
        }
    }
    EXPECT_EQ(tables, 46 + 28);
}

TEST(ReaderFixtures, RecordsCanBeReusedBetweenCalls) {
    pdx::TableReader reader(fixture("db/AREACODES.DB"));
    pdx::Record r;
    std::size_t n = 0;
    while (reader.next(r)) {
        ASSERT_EQ(r.size(), 3u);
        ++n;
    }
    EXPECT_EQ(n, 370u);
    EXPECT_FALSE(reader.next(r));  // stays at the end
}
