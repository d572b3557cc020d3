// Stored-form encodings: the byte examples of real tables, round trips and refused values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/pdx/format/codec.h"

using namespace pdx;

namespace {

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> v;
    for (int b : list) v.push_back(static_cast<std::uint8_t>(b));
    return v;
}

template <std::size_t N>
std::vector<std::uint8_t> vec(const std::array<std::uint8_t, N>& a) {
    return {a.begin(), a.end()};
}

std::array<std::uint8_t, 17> bcd(int head, int fill, std::initializer_list<int> tail) {
    std::array<std::uint8_t, 17> a{};
    a.fill(static_cast<std::uint8_t>(fill));
    a[0] = static_cast<std::uint8_t>(head);
    std::size_t i = 17 - tail.size();
    for (int b : tail) a[i++] = static_cast<std::uint8_t>(b);
    return a;
}

}  // namespace

TEST(Codec, IntegersMatchStoredExamples) {
    EXPECT_EQ(vec(encodeShort(15)), bytes({0x80, 0x0F}));
    EXPECT_EQ(vec(encodeShort(-16295)), bytes({0x40, 0x59}));
    EXPECT_EQ(vec(encodeLong(333333333)), bytes({0x93, 0xDE, 0x43, 0x55}));
    EXPECT_EQ(vec(encodeLong(-256)), bytes({0x7F, 0xFF, 0xFF, 0x00}));
    for (std::int64_t v : {0LL, 1LL, -1LL, 32767LL, -32767LL}) EXPECT_EQ(decodeShort(encodeShort(v).data()), v);
    for (std::int64_t v : {0LL, 1LL, -1LL, 2147483647LL, -2147483647LL}) EXPECT_EQ(decodeLong(encodeLong(v).data()), v);
}

TEST(Codec, IntegerEncodersRefuseBlankAndOutOfRange) {
    EXPECT_THROW(encodeShort(-32768), Error);  // its stored form is all zeros = blank
    EXPECT_THROW(encodeShort(32768), Error);
    EXPECT_THROW(encodeLong(std::numeric_limits<std::int32_t>::min()), Error);
    EXPECT_THROW(encodeLong(std::int64_t{1} << 31), Error);
    EXPECT_FALSE(isAllZero(encodeShort(0).data(), 2));
}

TEST(Codec, DoublesMatchStoredExamplesAndOrderBytewise) {
    EXPECT_EQ(vec(encodeDouble(1.0)), bytes({0xBF, 0xF0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vec(encodeDouble(-1.0)), bytes({0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(vec(encodeDouble(200.36)), bytes({0xC0, 0x69, 0x0B, 0x85, 0x1E, 0xB8, 0x51, 0xEC}));
    EXPECT_EQ(vec(encodeDouble(3.5)), bytes({0xC0, 0x0C, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vec(encodeDouble(-0.0)), vec(encodeDouble(0.0)));
    EXPECT_EQ(vec(encodeDouble(0.0)), bytes({0x80, 0, 0, 0, 0, 0, 0, 0}));
    const double values[] = {-1e300, -200, -1.5, -1e-300, 0, 1e-300, 1.5, 200.36, 1e300};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(decodeDouble(encodeDouble(values[i]).data()), values[i]);
        if (i > 0) {
            EXPECT_LT(vec(encodeDouble(values[i - 1])), vec(encodeDouble(values[i])));
        }
    }
    EXPECT_THROW(encodeDouble(std::nan("")), Error);
    EXPECT_THROW(encodeDouble(INFINITY), Error);
}

TEST(Codec, DayNumbersFollowTheProlepticGregorianCalendar) {
    EXPECT_EQ(dayNumberFromYmd(1, 1, 1), 1);
    EXPECT_EQ(dayNumberFromYmd(100, 1, 1), 36160);
    EXPECT_EQ(dayNumberFromYmd(1996, 5, 4), 728783);
    EXPECT_EQ(dayNumberFromYmd(2018, 1, 1), 736695);
    EXPECT_EQ(vec(encodeDate(Date{736695})), bytes({0x80, 0x0B, 0x3D, 0xB7}));
    EXPECT_EQ(ymdFromDayNumber(728783), (Ymd{1996, 5, 4}));
    EXPECT_EQ(ymdFromDayNumber(dayNumberFromYmd(2000, 2, 29)), (Ymd{2000, 2, 29}));
    for (std::int32_t d : {-1000000, 0, 1, 59, 60, 61, 730000, 3652059})
        EXPECT_EQ(dayNumberFromYmd(ymdFromDayNumber(d).year, ymdFromDayNumber(d).month, ymdFromDayNumber(d).day), d);
    EXPECT_THROW(dayNumberFromYmd(1900, 2, 29), Error);
    EXPECT_THROW(dayNumberFromYmd(2018, 13, 1), Error);
    EXPECT_THROW(dayNumberFromYmd(2018, 4, 31), Error);
}

TEST(Codec, TimesAndTimestamps) {
    EXPECT_EQ(vec(encodeTime(Time{36000000})), bytes({0x82, 0x25, 0x51, 0x00}));
    EXPECT_EQ(vec(encodeTimestamp(Timestamp{63716202001000.0})),
              bytes({0xC2, 0xCC, 0xF9, 0x8A, 0xCB, 0x19, 0x34, 0x00}));
    EXPECT_EQ(decodeTime(encodeTime(Time{3601000}).data()), Time{3601000});
}

TEST(Codec, Logical) {
    EXPECT_EQ(encodeLogical(true), 0x81);
    EXPECT_EQ(encodeLogical(false), 0x80);
    EXPECT_TRUE(decodeLogical(0x81));
    EXPECT_FALSE(decodeLogical(0x80));
    EXPECT_THROW(decodeLogical(0x7F), Error);
}

TEST(Codec, BcdMatchesStoredExamples) {
    EXPECT_EQ(encodeBcd("1.23", 2), bcd(0xC2, 0x00, {0x01, 0x23}));
    EXPECT_EQ(encodeBcd("-1.23", 2), bcd(0x42, 0xFF, {0xFE, 0xDC}));
    EXPECT_EQ(encodeBcd("0.00", 2), bcd(0xC2, 0x00, {}));
    EXPECT_EQ(encodeBcd("1", 0), bcd(0xC0, 0x00, {0x01}));
    EXPECT_EQ(encodeBcd("-1", 0), bcd(0x40, 0xFF, {0xFE}));
    EXPECT_EQ(decodeBcd(bcd(0xC2, 0x00, {0x01, 0x23}).data(), 2), "1.23");
    EXPECT_EQ(decodeBcd(bcd(0x42, 0xFF, {0xFE, 0xDC}).data(), 2), "-1.23");
    EXPECT_EQ(decodeBcd(bcd(0xC2, 0x00, {}).data(), 2), "0.00");
    EXPECT_EQ(decodeBcd(bcd(0x40, 0xFF, {0xFE}).data(), 0), "-1");
}

TEST(Codec, BcdRoundTripsAndNormalises) {
    for (const char* text : {"0", "7", "-7", "12345678901234567890123456789012", "-99999999999999999999999999999999"})
        EXPECT_EQ(decodeBcd(encodeBcd(text, 0).data(), 0), text);
    EXPECT_EQ(decodeBcd(encodeBcd("0.00000000000000000000000000000001", 32).data(), 32),
              "0.00000000000000000000000000000001");
    EXPECT_EQ(decodeBcd(encodeBcd("-0.5", 3).data(), 3), "-0.500");
    EXPECT_EQ(decodeBcd(encodeBcd("+007.10", 2).data(), 2), "7.10");
    EXPECT_EQ(decodeBcd(encodeBcd(".5", 1).data(), 1), "0.5");
    EXPECT_EQ(decodeBcd(encodeBcd("-0", 2).data(), 2), "0.00");  // no negative zero
}

TEST(Codec, BcdRefusesWhatItCannotHoldExactly) {
    EXPECT_THROW(encodeBcd("1.234", 2), Error);
    EXPECT_NO_THROW(encodeBcd("1.230", 2));
    EXPECT_THROW(encodeBcd("123456789012345678901234567890123", 0), Error);
    EXPECT_THROW(encodeBcd("100", 31), Error);
    for (const char* bad : {"", "-", ".", "1e5", "1,5", " 1", "1.2.3", "0x10", "--1"})
        EXPECT_THROW(encodeBcd(bad, 2), Error) << bad;
    EXPECT_THROW(encodeBcd("1", 33), Error);
}

TEST(Codec, BcdEngineTailsEndTheDigits) {
    // fields/bcd.db field C: 0.1229999999999999980 followed by engine nibbles B, 0, ...
    auto c = bcd(0xE0, 0x00, {});
    const std::uint8_t digits[] = {0x12, 0x29, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99,
                                   0x98, 0x0B, 0x00, 0xE0, 0x00, 0x00, 0xBF, 0x4A};
    std::copy(std::begin(digits), std::end(digits), c.begin() + 1);
    EXPECT_EQ(decodeBcd(c.data(), 32), "0.12299999999999999800000000000000");
    auto bad = bcd(0xC0 | 33, 0x00, {});
    EXPECT_THROW(decodeBcd(bad.data(), 2), Error);
}

TEST(Codec, BcdShowsFieldDecimalsWithoutDroppingStoredDigits) {
    // A value stored with 3 decimals in a 2-decimal field keeps its third digit.
    EXPECT_EQ(decodeBcd(bcd(0xC3, 0x00, {0x12, 0x34}).data(), 2), "1.234");
    EXPECT_EQ(decodeBcd(bcd(0xC3, 0x00, {0x12, 0x30}).data(), 2), "1.23");
    EXPECT_EQ(decodeBcd(bcd(0xC1, 0x00, {0x12}).data(), 3), "1.200");
}
