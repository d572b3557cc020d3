// Where the program writes: beside itself while it may, else in the user's data folder, with a
// whole copy of the samples made once, so installed files never change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/shell/data_folder.h"
#include "tests/support/error_of.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"
#include "tests/support/scoped_env.h"

namespace {

namespace fs = std::filesystem;
using vts::test::readFile;
using vts::test::ScopedEnv;
using vts::test::TempDir;

const auto readOnly = [](const fs::path&) { return false; };
const auto writable = [](const fs::path&) { return true; };

struct InstalledApp {
    TempDir tmp;
    fs::path app = tmp / "app";
    fs::path xdg = tmp / "xdg";
    InstalledApp() {
        fs::create_directories(app / "Samples" / "sub");
        std::ofstream(app / "Samples" / "CUSTOMER.db") << "shipped";
        std::ofstream(app / "Samples" / "sub" / "ORDERS.db") << "shipped too";
    }
};

TEST(DataFolder, IsTheProgramFolderWhileItIsWritable) {
    InstalledApp a;
    EXPECT_EQ(vts::chooseDataFolder(a.app, writable), a.app);
    EXPECT_EQ(vts::userSamplesFolder(a.app, a.app), a.app / "Samples");
    EXPECT_TRUE(vts::isWritableFolder(a.tmp.path()));
}

// Run from its build folder, the program keeps its data there; installed, never, though root may
// write the installed folder.
TEST(DataFolder, ABuildFolderIsToldByItsMarkNotByPermissions) {
    InstalledApp a;
    EXPECT_FALSE(vts::isBuildFolder(a.app));
    std::ofstream(a.app / vts::kBuildFolderMark) << "build";
    EXPECT_TRUE(vts::isBuildFolder(a.app));
}

TEST(DataFolder, IsTheUsersDataFolderForAReadOnlyProgram) {
    InstalledApp a;
    {
        ScopedEnv x("XDG_DATA_HOME", a.xdg.string());
        EXPECT_EQ(vts::chooseDataFolder(a.app, readOnly), a.xdg / "verdalith-table-studio");
        EXPECT_TRUE(fs::is_directory(a.xdg / "verdalith-table-studio"));
    }
    ScopedEnv x("XDG_DATA_HOME", "relative/is/ignored");
    ScopedEnv home("HOME", (a.tmp / "home").string());
    EXPECT_EQ(vts::chooseDataFolder(a.app, readOnly), a.tmp / "home/.local/share/verdalith-table-studio");
}

TEST(DataFolder, SamplesAreCopiedWholeOnceAndTheShippedOnesNeverChange) {
    InstalledApp a;
    const fs::path data = a.tmp / "data";
    fs::create_directories(data);
    const fs::path own = vts::userSamplesFolder(a.app, data);
    EXPECT_EQ(own, data / "Samples");
    EXPECT_EQ(readFile(own / "sub" / "ORDERS.db"), "shipped too");

    std::ofstream(own / "CUSTOMER.db") << "edited";  // the user's edits stay the user's
    EXPECT_EQ(vts::userSamplesFolder(a.app, data), own);
    EXPECT_EQ(readFile(own / "CUSTOMER.db"), "edited");
    EXPECT_EQ(readFile(a.app / "Samples" / "CUSTOMER.db"), "shipped");
    EXPECT_EQ(std::distance(fs::directory_iterator(data), fs::directory_iterator()), 1) << "no partial copy is left";
}

TEST(DataFolder, AFailedCopyLeavesNothingBehind) {
    InstalledApp a;
    fs::remove_all(a.app / "Samples");
    const fs::path data = a.tmp / "data";
    fs::create_directories(data);
    const std::string why = vts::test::errorOf([&] { vts::userSamplesFolder(a.app, data); });
    EXPECT_NE(why.find("could not be copied"), std::string::npos) << why;
    EXPECT_TRUE(fs::is_empty(data));
}

}  // namespace
