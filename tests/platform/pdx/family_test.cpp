// Table lookup by name and the set-aside of a family while a table is replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/pdx/family.h"
#include "tests/platform/pdx/pdx_test_support.h"
#include "tests/support/temp_dir.h"

using namespace pdxtest;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

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
        for (const auto& e : fs::directory_iterator(dir.path())) files[e.path().filename().string()] = readBytes(e.path());
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
    EXPECT_THROW(pdx::setAside(dir.path(), "Orders"), pdx::Error);
    EXPECT_EQ(snapshot().size(), 2u);  // nothing moved
}

TEST_F(Family, FamilyHoldsEveryCompanionAndNothingElse) {
    for (const char* f : {"Customer.DB", "CUSTOMER.PX", "customer.mb", "CUSTOMER.X06", "CUSTOMER.Y06", "Customer.XG0",
                          "Customer.YG0", "CUSTOMER.VAL", "CUSTOMER.TV", "CUSTOMER.TVF", "CUSTOMER.FAM", "CUSTOMER.x0a"})
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

TEST_F(Family, SetAsideThenRestoreGivesIdenticalFiles) {
    touch("SHOP.db", "table bytes");
    touch("SHOP.PX", "index bytes");
    touch("Shop.mb", "blob bytes");
    touch("OTHER.db", "another table");
    const auto before = snapshot();

    const pdx::AsideSet set = pdx::setAside(dir.path(), "shop");
    EXPECT_EQ(set.moves.size(), 3u);
    EXPECT_FALSE(pdx::findTable(dir.path(), "SHOP"));
    EXPECT_TRUE(pdx::findFamily(dir.path(), "SHOP").empty());
    for (const auto& [original, aside] : set.moves) {
        EXPECT_TRUE(fs::exists(aside));
        EXPECT_FALSE(fs::exists(original));
        std::string ext = aside.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_NE(ext, ".db") << aside;  // a folder scan for *.db never sees them
    }
    const auto found = pdx::findAside(dir.path(), "SHOP");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->moves.size(), 3u);

    pdx::restore(set);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(pdx::findAside(dir.path(), "SHOP"));
}

TEST_F(Family, RestoreReplacesAHalfWrittenNewTable) {
    touch("SHOP.db", "old table");
    const pdx::AsideSet set = pdx::setAside(dir.path(), "SHOP");
    touch("SHOP.db", "new, unfinished");
    pdx::restore(set);
    EXPECT_EQ(readBytes(dir / "SHOP.db"), (std::vector<std::uint8_t>{'o', 'l', 'd', ' ', 't', 'a', 'b', 'l', 'e'}));
}

TEST_F(Family, DropRemovesOnlyTheAsideFiles) {
    touch("SHOP.db", "old");
    touch("SHOP.PX", "old index");
    touch("OTHER.db", "another table");
    const pdx::AsideSet set = pdx::setAside(dir.path(), "SHOP");
    touch("SHOP.db", "new table");  // the replacement, installed meanwhile
    pdx::drop(set);
    const auto after = snapshot();
    EXPECT_EQ(after.size(), 2u);
    EXPECT_TRUE(after.count("SHOP.db"));
    EXPECT_TRUE(after.count("OTHER.db"));
    EXPECT_FALSE(pdx::findAside(dir.path(), "SHOP"));

    pdx::AsideSet forged{dir.path(), "OTHER", {{dir / "OTHER.db", dir / "OTHER.db"}}};
    EXPECT_THROW(pdx::drop(forged), pdx::Error);
    EXPECT_TRUE(fs::exists(dir / "OTHER.db"));
}

TEST_F(Family, AnEarlierAsideSetIsNeverOverwritten) {
    touch("SHOP.db", "first");
    const pdx::AsideSet first = pdx::setAside(dir.path(), "SHOP");
    touch("SHOP.db", "second");
    EXPECT_THROW(pdx::setAside(dir.path(), "SHOP"), pdx::Error);
    EXPECT_EQ(readBytes(first.moves[0].second), (std::vector<std::uint8_t>{'f', 'i', 'r', 's', 't'}));
    EXPECT_TRUE(fs::exists(dir / "SHOP.db"));
}

// A crash between the set-aside and the install: the table comes back, the unfinished new
// files go out of its way; a family whose table is in place is left alone.
TEST_F(Family, RecoveryPutsBackTablesThatACrashLeftAside) {
    touch("Orders.db", "old db");
    touch("Orders.MB", "old mb");
    touch("Parts.db", "new parts");
    touch("Parts.db.vts-aside", "old parts");
    pdx::setAside(dir.path(), "ORDERS");
    touch("ORDERS.MB", "new mb");  // installed before the crash
    touch("ORDERS.PX", "new px");  // the old table had none

    EXPECT_EQ(pdx::recoverInterrupted(dir.path()), std::vector<std::string>{"Orders"});
    const auto files = snapshot();
    EXPECT_EQ(files.at("Orders.db"), bytesOf("old db"));
    EXPECT_EQ(files.at("Orders.MB"), bytesOf("old mb"));
    EXPECT_EQ(files.at("ORDERS.PX.vts-orphan"), bytesOf("new px"));
    EXPECT_FALSE(files.count("ORDERS.PX"));
    EXPECT_EQ(files.at("Parts.db"), bytesOf("new parts"));
    EXPECT_EQ(files.at("Parts.db.vts-aside"), bytesOf("old parts"));
    EXPECT_TRUE(pdx::recoverInterrupted(dir.path()).empty());
}

TEST_F(Family, SetAsideOfAnUnknownTableIsEmpty) {
    touch("OTHER.db");
    const pdx::AsideSet set = pdx::setAside(dir.path(), "SHOP");
    EXPECT_TRUE(set.empty());
    EXPECT_NO_THROW(pdx::restore(set));
    EXPECT_NO_THROW(pdx::drop(set));
}
