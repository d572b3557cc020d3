// Values a field cannot hold exactly are refused with an error naming table, row and field;
// exact conversions are accepted; invalid schemas and duplicate keys are refused up front.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pdxtest;
using pdx::FieldType;
using I = std::int64_t;

pdx::Schema schemaOf(std::vector<pdx::Field> fields, int keys = 0) {
    pdx::Schema s;
    s.fields = std::move(fields);
    s.keyFields = keys;
    return s;
}

pdx::Schema valueSchema(int codePage = 1252) {
    pdx::Schema s;
    s.fields = {{"Name", FieldType::Alpha, 5},     {"Small", FieldType::Short, 2},  {"Big", FieldType::Long, 4},
                {"Auto", FieldType::AutoInc, 4},   {"Num", FieldType::Number, 8},   {"Money", FieldType::Currency, 8},
                {"Day", FieldType::Date, 4},       {"Flag", FieldType::Logical, 1}, {"Exact", FieldType::Bcd, 2},
                {"Raw", FieldType::Bytes, 3},      {"Text", FieldType::Memo, 15},   {"Pic", FieldType::Graphic, 12},
                {"Stamp", FieldType::Timestamp, 8}};
    s.codePage = codePage;
    if (codePage != 1252) {
        s.sortOrder = 0;
        s.sortOrderId = "ascii";
    }
    return s;
}

pdx::Record blanks() { return pdx::Record(13); }

// Whether the message of an error contains `part` (an empty message: nothing was thrown).
::testing::AssertionResult mentions(const std::string& message, const std::string& part) {
    if (message.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    if (message.empty()) return ::testing::AssertionFailure() << "accepted";
    return ::testing::AssertionFailure() << "\"" << message << "\" does not mention \"" << part << "\"";
}

struct BadValue {
    const char* label;
    std::size_t field;
    pdx::Value value;
    const char* says;  // part of the message after the field name
};

class RefusedValues : public ::testing::TestWithParam<BadValue> {};

TEST_P(RefusedValues, NameTableRowAndField) {
    vts::test::TempDir tmp;
    const BadValue& bad = GetParam();
    pdx::TableWriter w(tmp.path(), "VALS", valueSchema());
    w.append(blanks());
    w.append(blanks());
    pdx::Record r = blanks();
    r[bad.field] = bad.value;
    const std::string msg = errorOf([&] { w.append(r); });
    EXPECT_TRUE(mentions(msg, "table VALS, row 3, field \"" + valueSchema().fields[bad.field].name + "\""));
    EXPECT_TRUE(mentions(msg, bad.says));
    // The refused record is not in the table; the writer goes on.
    w.append(blanks());
    w.finish();
    w.install();
    EXPECT_EQ(readAll(tmp / "VALS.db").records.size(), 3u);
}

const BadValue kBadValues[] = {
    {"AlphaTooLong", 0, std::string("abcdef"), "needs 6 bytes, the field holds 5"},
    {"AlphaTooLongEncoded", 0, std::string("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"), "needs 6 bytes"},
    {"AlphaOutsideCodePage", 0, std::string("\xD0\x96"), "U+0416"},
    {"AlphaWithNul", 0, std::string("a\0b", 3), "NUL"},
    {"AlphaFromNumber", 0, I{12}, "cannot hold an integer"},
    {"ShortTooBig", 1, I{32768}, "does not fit a Short"},
    {"ShortMinimumIsBlank", 1, I{-32768}, "does not fit a Short"},
    {"ShortFraction", 1, 1.5, "not a whole number"},
    {"LongTooBig", 2, I{2147483648}, "does not fit a Long"},
    {"LongMinimumIsBlank", 2, I{-2147483648LL}, "does not fit a Long"},
    {"LongFromText", 2, std::string("12"), "cannot hold text"},
    {"AutoIncMinimum", 3, I{-2147483648LL}, "does not fit a Long"},
    {"NumberNotANumber", 4, std::numeric_limits<double>::quiet_NaN(), "infinite or undefined"},
    {"NumberFromHugeInteger", 4, I{(1LL << 53) + 1}, "more digits than a Number can hold"},
    {"CurrencyInfinite", 5, std::numeric_limits<double>::infinity(), "infinite or undefined"},
    {"DateFromText", 6, std::string("2020-01-01"), "cannot hold text"},
    {"DateMinimumIsBlank", 6, pdx::Date{std::numeric_limits<std::int32_t>::min()}, "does not fit"},
    {"LogicalFromInteger", 7, I{1}, "cannot hold an integer"},
    {"BcdTooManyDecimals", 8, pdx::Decimal{"1.234"}, "1.234"},
    {"BcdTooManyDigits", 8, pdx::Decimal{"1234567890123456789012345678901.5"}, "too many digits"},
    {"BcdNotANumber", 8, pdx::Decimal{"12x"}, "12x"},
    {"BcdFromDouble", 8, 1.5, "cannot hold a number"},
    {"BytesTooLong", 9, pdx::Bytes{1, 2, 3, 4}, "4 bytes do not fit"},
    {"MemoOutsideCodePage", 10, std::string("\xD0\x96"), "U+0416"},
    {"MemoFromBytes", 10, pdx::Bytes{1}, "cannot hold bytes"},
    {"GraphicWithoutHeader", 11, pdx::Bytes(40, 7), "8-byte header"},
    {"TimestampFromDate", 12, pdx::Date{1}, "cannot hold a date"},
};

INSTANTIATE_TEST_SUITE_P(Writer, RefusedValues, ::testing::ValuesIn(kBadValues),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(WriterValues, ExactConversionsAreAccepted) {
    struct Case {
        std::size_t field;
        pdx::Value given, back;
    };
    const std::string etes = "\xC3\xA9t\xC3\xA9s";  // 5 characters, 5 bytes in code page 1252
    const Case cases[] = {{0, etes, etes},
                          {1, 2.0, I{2}},
                          {2, I{2147483647}, I{2147483647}},
                          {3, I{-2147483647}, I{-2147483647}},
                          {4, I{1} << 53, 9007199254740992.0},
                          {8, I{-12}, pdx::Decimal{"-12.00"}},
                          {9, pdx::Bytes{0, 0, 9}, pdx::Bytes{0, 0, 9}},
                          {11, pdx::Bytes{1, 2}, pdx::Bytes{1, 2}}};  // fits the 2-byte leader: stored as given
    vts::test::TempDir tmp;
    pdx::Record r = blanks();
    for (const Case& c : cases) r[c.field] = c.given;
    r[5] = -0.0;
    writeAll(tmp.path(), "OK", valueSchema(), {r});
    const pdx::Record back = readAll(tmp / "OK.db").records.at(0);
    for (const Case& c : cases) EXPECT_EQ(back[c.field], c.back) << "field " << c.field;
    ASSERT_TRUE(std::holds_alternative<double>(back[5]));
    EXPECT_FALSE(std::signbit(std::get<double>(back[5])));  // -0.0 is stored as 0
}

TEST(WriterValues, MultibyteTextCountsEncodedBytes) {
    vts::test::TempDir tmp;
    pdx::TableWriter w(tmp.path(), "GBK", valueSchema(936));
    pdx::Record r = blanks();
    r[0] = std::string("\xE4\xB8\xAD\xE6\x96\x87");  // two characters, 4 bytes in GBK
    w.append(r);
    r[0] = std::string("\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97");  // 6 bytes
    EXPECT_THROW(w.append(r), pdx::Error);
}

TEST(WriterValues, WrongNumberOfValuesNamesTheRow) {
    vts::test::TempDir tmp;
    pdx::TableWriter w(tmp.path(), "VALS", valueSchema());
    EXPECT_TRUE(mentions(errorOf([&] { w.append({I{1}}); }), "table VALS, row 1: 1 values for 13 fields"));
}

TEST(WriterValues, DuplicateKeysNameBothRows) {
    vts::test::TempDir tmp;
    {
        const auto s = schemaOf({{"A", FieldType::Alpha, 4}, {"B", FieldType::Short, 2}, {"C", FieldType::Long, 4}}, 2);
        pdx::TableWriter w(tmp.path(), "KEYS", s);
        w.append({std::string("x"), I{1}, I{1}});
        w.append({std::string("x"), I{2}, I{2}});
        EXPECT_THROW(w.append({std::string("x"), I{3}, 0.5}), pdx::Error);  // row 3 is refused
        w.append({std::string("y"), I{1}, I{3}});
        w.append({std::string("x"), I{2}, I{4}});
        EXPECT_TRUE(mentions(errorOf([&] { w.finish(); }),
                             "table KEYS: rows 2 and 5 have the same value in the key fields A, B"));
        EXPECT_THROW(w.install(), pdx::Error);
    }
    EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST(WriterValues, KeyedRecordsAreStoredInKeyOrder) {
    vts::test::TempDir tmp;
    writeAll(tmp.path(), "ORD", schemaOf({{"K", FieldType::Number, 8}, {"V", FieldType::Alpha, 3}}, 1),
             {{2.5, std::string("c")},
              {-7.0, std::string("a")},
              {std::monostate{}, std::string("0")},
              {0.0, std::string("b")},
              {1e300, std::string("d")}});
    std::string order;
    for (const auto& r : readAll(tmp / "ORD.db").records) order += std::get<std::string>(r[1]);
    EXPECT_EQ(order, "0abcd");  // blank first, then numeric order
}

struct BadSchema {
    const char* label;
    pdx::Schema schema;
    std::string table;
    const char* says;
};

class RefusedSchemas : public ::testing::TestWithParam<BadSchema> {};

TEST_P(RefusedSchemas, BeforeAnyFileIsCreated) {
    vts::test::TempDir tmp;
    EXPECT_TRUE(mentions(errorOf([&] { pdx::TableWriter w(tmp.path(), GetParam().table, GetParam().schema); }),
                         GetParam().says));
    EXPECT_TRUE(fs::is_empty(tmp.path()));
}

std::vector<pdx::Field> manyAlpha(int n, int size) {
    std::vector<pdx::Field> f;
    for (int i = 0; i < n; ++i) f.push_back({"F" + std::to_string(i), FieldType::Alpha, size});
    return f;
}

const BadSchema kBadSchemas[] = {
    {"NoFields", schemaOf({}), "T", "0 fields"},
    {"TooManyFields", schemaOf(manyAlpha(256, 1)), "T", "256 fields"},
    {"AlphaSizeZero", schemaOf({{"A", FieldType::Alpha, 0}}), "T", "size 0 is not valid for a Alpha"},
    {"BcdTooManyDecimals", schemaOf({{"B", FieldType::Bcd, 33}}), "T", "size 33"},
    {"MemoTooSmall", schemaOf({{"M", FieldType::Memo, 10}}), "T", "size 10"},
    {"LongWithOddSize", schemaOf({{"L", FieldType::Long, 3}}), "T", "size 3"},
    {"DuplicateNames", schemaOf({{"Name", FieldType::Long, 4}, {"NAME", FieldType::Short, 2}}), "T", "used twice"},
    {"EmptyName", schemaOf({{"", FieldType::Long, 4}}), "T", "needs a name"},
    {"RecordTooLong", schemaOf(manyAlpha(17, 255)), "T", "records of 4335 bytes"},
    {"BlobInKey", schemaOf({{"M", FieldType::Memo, 20}}, 1), "T", "cannot be part of the key"},
    {"KeyTooLong", schemaOf(manyAlpha(9, 255), 9), "T", "the key fields take 2295 bytes"},
    {"MoreKeysThanFields", schemaOf({{"L", FieldType::Long, 4}}, 2), "T", "2 key fields of 1"},
    {"FieldNameOutsideCodePage", schemaOf({{"\xD0\x96", FieldType::Long, 4}}), "T", "the name cannot be written"},
    {"TableNameWithSlash", schemaOf({{"L", FieldType::Long, 4}}), "a/b", "cannot be the name"},
    {"EmptyTableName", schemaOf({{"L", FieldType::Long, 4}}), "", "cannot be the name"},
};

INSTANTIATE_TEST_SUITE_P(Writer, RefusedSchemas, ::testing::ValuesIn(kBadSchemas),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(WriterValues, KeptValidityFileCarriesItsStamp) {
    vts::test::TempDir tmp;
    const fs::path a = fixture("joins/A.db");
    fs::copy_file(fixture("joins/A.VAL"), tmp / "old.VAL");
    const Table t = readAll(a);
    pdx::WriterOptions opt = keepingOrderOf(a);
    opt.keepVal = tmp / "old.VAL";  // no stamp given: the .VAL's own byte 0 is used
    writeAll(tmp.path(), "NEW", t.info.schema, t.records, opt);
    EXPECT_EQ(readBytes(tmp / "NEW.VAL"), readBytes(tmp / "old.VAL"));
    EXPECT_EQ(readAll(tmp / "NEW.db").info.changeCount2, readBytes(tmp / "old.VAL").at(0));

    writeAll(tmp.path(), "PLAIN", t.info.schema, t.records, keepingOrderOf(a));
    EXPECT_FALSE(fs::exists(tmp / "PLAIN.VAL"));
    EXPECT_EQ(readAll(tmp / "PLAIN.db").info.changeCount2, 1);
}

}  // namespace
