// The working connection string, path helpers and IfNull of the bridge.
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

TEST(IfNull, ReplacementOnlyForNull) {
    const pdx::Value empty{std::string()}, null{}, zero{std::int64_t{0}};
    EXPECT_EQ(IfNull(null, empty), empty);
    EXPECT_EQ(IfNull(zero, empty), zero);
    EXPECT_EQ(IfNull(empty, zero), empty);  // an empty text is not Null
}

}  // namespace
}  // namespace vts
