// ADO type codes: their names, the working column type the import picks from a name, and the
// type each Paradox field type gets.
#include <gtest/gtest.h>

#include "platform/db/jet_types.h"

TEST(AdoTypeName, KnownCodesAndOthers) {
    EXPECT_EQ(db::AdoTypeName(202), "adVarWChar");
    EXPECT_EQ(db::AdoTypeName(0), "adEmpty");
    EXPECT_EQ(db::AdoTypeName(205), "adLongVarBinary");
    EXPECT_EQ(db::AdoTypeName(137), "");         // adDBFileTime is not known
    EXPECT_EQ(db::AdoTypeName(0x2000 | 3), "");  // nor array types
    int known = 0;
    for (int code = -32768; code < 32768; ++code) known += !db::AdoTypeName(static_cast<std::int16_t>(code)).empty();
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
    for (const auto& [code, type] : expected)
        EXPECT_STREQ(db::jetName(db::ColumnType(static_cast<std::int16_t>(code))), type) << code;
}

TEST(JetTypes, EveryFieldTypeGetsItsWorkingColumnType) {
    using T = pdx::FieldType;
    const std::pair<T, const char*> expected[] = {
        {T::Alpha, "TEXT"},       {T::Date, "DATETIME"},      {T::Short, "INT"},     {T::Long, "INT"},
        {T::Currency, "FLOAT"},   {T::Number, "FLOAT"},       {T::Logical, "TEXT"},  {T::Memo, "MEMO"},
        {T::Binary, "OLEOBJECT"}, {T::FmtMemo, "OLEOBJECT"},  {T::Ole, "OLEOBJECT"}, {T::Graphic, "OLEOBJECT"},
        {T::Time, "TEXT"},        {T::Timestamp, "DATETIME"}, {T::AutoInc, "INT"},   {T::Bcd, "DECIMAL"},
        {T::Bytes, "TEXT"},
    };
    for (const auto& [type, jet] : expected) EXPECT_STREQ(db::jetName(db::jetTypeOf(type)), jet) << pdx::typeName(type);
}
