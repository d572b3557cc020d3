// The installed program: `cmake --install` into a temporary prefix, then the program run from
// that read-only folder opens the samples, edits and writes back, and the installed files stay
// exactly as installed.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>

#include "platform/shell/data_folder.h"
#include "tests/pages/page_rig.h"

namespace vts::test {
namespace {

// Every installed file (links as their target text) with its bytes.
std::map<fs::path, std::string> snapshot(const fs::path& root) {
    std::map<fs::path, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_symlink()) files[e.path()] = "-> " + fs::read_symlink(e.path()).string();
        else if (e.is_regular_file()) files[e.path()] = readFile(e.path());
    }
    return files;
}

void takeAwayWrite(const fs::path& root) {
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (!e.is_symlink())
            fs::permissions(e.path(), (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write),
                            fs::perm_options::remove);
    fs::permissions(root, (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write),
                    fs::perm_options::remove);
}

struct Installed : ::testing::Test {
    TempDir tmp;
    fs::path prefix = tmp / "prefix";
    fs::path appFolder = prefix / "lib/verdalith-table-studio";

    void SetUp() override {
        const std::string cmd = "cmake --install \"" VTS_BUILD_DIR "\" --prefix \"" + prefix.string() + "\" >/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
};

TEST_F(Installed, LaysOutTheProgramForTheDesktop) {
    for (const char* file :
         {"bin/pdxtool", "lib/verdalith-table-studio/verdalith", "lib/verdalith-table-studio/HAND-M.CUR",
          "lib/verdalith-table-studio/x/o.cjs", "lib/verdalith-table-studio/Samples/CUSTOMER.db",
          "share/applications/verdalith-table-studio.desktop",
          "share/icons/hicolor/48x48/apps/verdalith-table-studio.png",
          "share/icons/hicolor/256x256/apps/verdalith-table-studio.png"})
        EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;
    EXPECT_EQ(fs::canonical(prefix / "bin/verdalith"), fs::canonical(appFolder / "verdalith"));
    const std::string entry = readFile(prefix / "share/applications/verdalith-table-studio.desktop");
    EXPECT_NE(entry.find("Exec=verdalith %f"), std::string::npos);
    EXPECT_NE(entry.find("Icon=verdalith-table-studio"), std::string::npos);
}

TEST_F(Installed, EditsTheSamplesWithoutChangingAnInstalledFile) {
    takeAwayWrite(prefix);
    const auto installed = snapshot(prefix);
    // Root may write anywhere: the program is then told what a user's write check would say.
    const auto writable = [](const fs::path& p) { return ::geteuid() != 0 && isWritableFolder(p); };
    ::setenv("XDG_DATA_HOME", (tmp / "xdg").c_str(), 1);
    const fs::path dataFolder = chooseDataFolder(appFolder, writable);
    ASSERT_EQ(dataFolder, tmp / "xdg/verdalith-table-studio");

    PageRig rig(false);
    rig.program = std::make_unique<Program>(ProgramServices{rig.dialogs, rig.launcher, rig.settings, appFolder,
                                                            [&rig] { ++rig.ended; }, [] {}, rig.exporters,
                                                            [](AppContext&) { return false; }, dataFolder});
    rig.program->start();
    rig.form1().PushButton1_Click();  // Load Sample/Example Database
    const fs::path samples = dataFolder / "Samples";
    ASSERT_EQ(rig.form1().Text1->text().toStdString(), samples.string());
    rig.form1().PushButton3_Click();
    rig.openTable("CUSTOMER");
    rig.editCell(0, "Company", "Edited Outfitters");
    rig.form3().close();
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;

    EXPECT_EQ(std::get<std::string>(readAll(samples / "CUSTOMER.db").at(0).at(1)), "Edited Outfitters");
    EXPECT_TRUE(fs::exists(dataFolder / "dbTemp.mdb"));
    EXPECT_EQ(snapshot(prefix), installed);
}

// Root may write anywhere, so as root the program runs as the unprivileged user "nobody".
TEST_F(Installed, TheInstalledProgramStartsOnAFolderGivenToIt) {
    const bool root = ::geteuid() == 0;
    if (root && std::system("id nobody >/dev/null 2>&1 && command -v runuser >/dev/null") != 0)
        GTEST_SKIP() << "root, and no unprivileged user to run the program as";
    takeAwayWrite(prefix);
    const fs::path home = tmp / "home";
    fs::create_directories(home);
    if (root) {
        fs::permissions(tmp.path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
        ASSERT_EQ(std::system(("chown nobody \"" + home.string() + "\"").c_str()), 0);
    }
    // Still running after three seconds is a start; a crash ends it sooner.
    const std::string as = root ? "runuser -u nobody -- " : "";
    const std::string cmd = "cd \"" + tmp.str() + "\" && timeout -s KILL 3 " + as + "env HOME=\"" + home.string() +
                            "\" XDG_DATA_HOME= XDG_CONFIG_HOME= QT_QPA_PLATFORM=offscreen \"" +
                            (prefix / "bin/verdalith").string() + "\" \"" + (vts::test::fixtures() / "db").string() +
                            "\" >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 137) << status;
    EXPECT_TRUE(fs::is_directory(home / ".local/share/verdalith-table-studio"));
}

}  // namespace
}  // namespace vts::test
