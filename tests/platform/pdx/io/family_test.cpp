// Table lookup by name: the table, its companions, letter case.
#include <gtest/gtest.h>

#include <map>

#include "platform/pdx/io/family.h"
#include "tests/platform/pdx/pdx_test_support.h"
#include "tests/support/temp_dir.h"

using namespace pdxtest;

namespace {

class Family : public ::testing::Test {
protected:
    vts::test::TempDir dir;

    void touch(const std::string& name, const std::string& content = "") {
        writeBytes(dir / name, std::vector<std::uint8_t>(content.begin(), content.end()));
    }
    std::vector<std::string> names(const std::vector<fs::path>& files) const {
        std::vector<std::string> out;
        for (const auto& f : files) out.push_back(f.filename().string());
        return out;
    }
    // Every file of the folder with its content.
    std::map<std::string, std::vector<std::uint8_t>> snapshot() const {
        std::map<std::string, std::vector<std::uint8_t>> files;
        for (const auto& e : fs::directory_iterator(dir.path()))
            files[e.path().filename().string()] = readBytes(e.path());
        return files;
    }
};

}  // namespace

TEST_F(Family, TablesAreFoundWithoutRegardToCase) {
    touch("Customer.db");
    touch("Customers.db");
    EXPECT_EQ(pdx::findTable(dir.path(), "CUSTOMER"), dir / "Customer.db");
    EXPECT_EQ(pdx::findTable(dir.path(), "customer"), dir / "Customer.db");
    EXPECT_EQ(pdx::findTable(dir.path(), "CUSTOMERS"), dir / "Customers.db");
    EXPECT_FALSE(pdx::findTable(dir.path(), "CUST"));
    EXPECT_FALSE(pdx::findTable(dir.path(), ""));
    EXPECT_FALSE(pdx::findTable(dir.path(), "Customer.db"));
    fs::create_directory(dir / "Folder.db");
    EXPECT_FALSE(pdx::findTable(dir.path(), "FOLDER"));  // a folder is no table
    EXPECT_THROW(pdx::findTable(dir / "absent", "X"), pdx::Error);
}

TEST_F(Family, NamesDifferingOnlyInCaseAreRefused) {
    touch("orders.db");
    touch("ORDERS.DB");
    EXPECT_THROW(pdx::findTable(dir.path(), "Orders"), pdx::Error);
    EXPECT_THROW(pdx::findFamily(dir.path(), "Orders"), pdx::Error);
}

TEST_F(Family, FamilyHoldsEveryCompanionAndNothingElse) {
    for (const char* f :
         {"Customer.DB", "CUSTOMER.PX", "customer.mb", "CUSTOMER.X06", "CUSTOMER.Y06", "Customer.XG0", "Customer.YG0",
          "CUSTOMER.VAL", "CUSTOMER.TV", "CUSTOMER.TVF", "CUSTOMER.FAM", "CUSTOMER.x0a"})
        touch(f);
    for (const char* f : {"CUSTOMER2.DB", "CUSTOMER.TXT", "CUSTOMER.LCK", "CUSTOMER.X6", "CUSTOMER.XGZ", "CUSTOMER",
                          "ORDERS.PX", "CUSTOMER.DB.bak"})
        touch(f);
    const auto family = names(pdx::findFamily(dir.path(), "CUSTOMER"));
    ASSERT_EQ(family.size(), 12u);
    EXPECT_EQ(family.front(), "Customer.DB");
    for (const char* f : {"CUSTOMER.PX", "customer.mb", "CUSTOMER.X06", "Customer.YG0", "CUSTOMER.FAM", "CUSTOMER.x0a"})
        EXPECT_NE(std::find(family.begin(), family.end(), f), family.end()) << f;
    EXPECT_EQ(pdx::findCompanion(dir / "Customer.DB", "MB"), dir / "customer.mb");
    EXPECT_FALSE(pdx::findCompanion(dir / "CUSTOMER2.DB", "MB"));
}

// Names beyond ASCII: the upper-case name a table is listed under finds it again, and its
// companions with it; what is not UTF-8 is kept byte for byte.
TEST_F(Family, UpperCaseNamesBeyondAsciiFindTheirTable) {
    EXPECT_EQ(pdx::upperName("bäume.db"), "BÄUME.DB");
    EXPECT_EQ(pdx::upperName("élan ωμέγα"), "ÉLAN ΩΜΈΓΑ");
    EXPECT_EQ(pdx::upperName("straße"), "STRAßE");                // one letter for one: the name keeps its length
    EXPECT_EQ(pdx::upperName("caf\xE9.db"), "CAF\xE9.DB");        // Latin-1 byte, not UTF-8
    EXPECT_EQ(pdx::upperName("a\xC3"), "A\xC3");                  // cut sequence
    EXPECT_EQ(pdx::upperName("\xED\xA0\x80x"), "\xED\xA0\x80X");  // surrogate
    EXPECT_TRUE(pdx::equalsNoCase("Ärger", "äRGER"));
    EXPECT_FALSE(pdx::equalsNoCase("Ärger", "Arger"));

    touch("bäume.db");
    touch("bäume.PX");
    touch("Bäumeschule.db");
    EXPECT_EQ(pdx::findTable(dir.path(), pdx::upperName("bäume")), dir / "bäume.db");
    EXPECT_EQ(names(pdx::findFamily(dir.path(), "BÄUME")), (std::vector<std::string>{"bäume.db", "bäume.PX"}));
    touch("BÄUME.DB");
    EXPECT_THROW(pdx::findTable(dir.path(), "Bäume"), pdx::Error);  // two files, one name
}
