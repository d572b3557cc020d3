// The working connection string, column types and path helpers of the bridge.
#include <gtest/gtest.h>

#include "bridge/paradox.h"

namespace vts {
namespace {

TEST(ConnectionStrings, ExactTexts) {
    EXPECT_EQ(WorkingConnectionString("/opt/vts"),
              "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/vts/dbTemp.mdb;JET OLEDB:Database Password=");
    // A program in the root folder: passed on unchanged, with two slashes.
    EXPECT_EQ(WorkingConnectionString("/"),
              "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=//dbTemp.mdb;JET OLEDB:Database Password=");
}

TEST(FileNameFromPath, LastPartOrWhole) {
    EXPECT_EQ(FileNameFromPath("/data/sub/CUSTOMER.DB"), "CUSTOMER.DB");
    EXPECT_EQ(FileNameFromPath("CUSTOMER.DB"), "CUSTOMER.DB");
    EXPECT_EQ(FileNameFromPath("/data/"), "");
}

TEST(AdoTypeName, KnownCodesAndOthers) {
    EXPECT_EQ(AdoTypeName(202), "adVarWChar");
    EXPECT_EQ(AdoTypeName(0), "adEmpty");
    EXPECT_EQ(AdoTypeName(205), "adLongVarBinary");
    EXPECT_EQ(AdoTypeName(137), "");         // adDBFileTime is not known
    EXPECT_EQ(AdoTypeName(0x2000 | 3), "");  // nor array types
    int known = 0;
    for (int code = -32768; code < 32768; ++code) known += !AdoTypeName(static_cast<std::int16_t>(code)).empty();
    EXPECT_EQ(known, 39);
}

TEST(ColumnType, ForEveryKnownCode) {
    const std::pair<int, const char*> expected[] = {
        {0, "TEXT"},     {2, "INT"},      {3, "INT"},         {4, "INT"},        {5, "FLOAT"},  {6, "TEXT"},
        {7, "DATETIME"}, {8, "TEXT"},     {9, "TEXT"},        {10, "TEXT"},      {11, "TEXT"},  {12, "TEXT"},
        {13, "TEXT"},    {14, "DECIMAL"}, {16, "INT"},        {17, "INT"},       {18, "INT"},   {19, "INT"},
        {20, "INT"},     {21, "INT"},     {64, "TEXT"},       {72, "TEXT"},      {128, "TEXT"}, {129, "TEXT"},
        {130, "TEXT"},   {131, "INT"},    {132, "TEXT"},      {133, "DATETIME"}, {134, "TEXT"}, {135, "DATETIME"},
        {136, "TEXT"},   {138, "TEXT"},   {139, "INT"},       {200, "TEXT"},     {201, "MEMO"}, {202, "TEXT"},
        {203, "MEMO"},   {204, "TEXT"},   {205, "OLEOBJECT"}, {137, "TEXT"},     {999, "TEXT"},
    };
    for (const auto& [code, type] : expected) EXPECT_EQ(ColumnType(static_cast<std::int16_t>(code)), type) << code;
}

TEST(IfNull, ReplacementOnlyForNull) {
    const db::Variant empty{std::string()}, null{}, zero{std::int64_t{0}};
    EXPECT_EQ(IfNull(null, empty), empty);
    EXPECT_EQ(IfNull(zero, empty), zero);
    EXPECT_EQ(IfNull(empty, zero), empty);  // an empty text is not Null
}

}  // namespace
}  // namespace vts
