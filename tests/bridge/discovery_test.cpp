// Table discovery and the folder test: which files become which table names, in which order.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "bridge/paradox.h"
#include "bridge_env.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/replace/replace_journal.h"
#include "platform/shell/error_trap.h"
#include "tests/support/headless.h"

namespace vts::test {
namespace {

void touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

std::vector<std::string> discover(BridgeEnv& env) {
    VectorTableList list;
    list.add("left over", "/nowhere");
    AddTablesToParadoxListbox(env.ctx, list);
    return list.items;
}

TEST(Discovery, EmptyFolderTextClearsTheList) {
    BridgeEnv env;
    env.folderText = "";
    EXPECT_TRUE(discover(env).empty());
    EXPECT_TRUE(env.dialogs.messages.empty());
}

// A crash between setting the old table aside and installing the new one: discovery puts the
// old table back, removes the unfinished new file and the journal, and lists the table.
TEST(Discovery, ATableACrashLeftSetAsideIsListedAgain) {
    BridgeEnv env;
    const fs::path sub = env.paradoxFolder / "sub";
    touch(sub / "Orders.db");
    touch(sub / "Orders.db.vts-new-000000000001");
    const auto inode = [](const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_ino) : 0;
    };
    pdx::ReplaceJournal j{
        "ORDERS",
        {{inode(sub / "Orders.db"), sub / "Orders.db", sub / "Orders.db.vts-aside-000000000002"}},
        {{inode(sub / "Orders.db.vts-new-000000000001"), sub / "Orders.db.vts-new-000000000001", sub / "Orders.db"}}};
    pdx::writeJournal(pdx::journalPath(sub, "ORDERS"), j, {});
    fs::rename(sub / "Orders.db", sub / "Orders.db.vts-aside-000000000002");
    EXPECT_EQ(discover(env), std::vector<std::string>{"ORDERS"});
    EXPECT_EQ(fileNames(sub), std::vector<std::string>{"Orders.db"});
    EXPECT_TRUE(env.dialogs.messages.empty());
}

TEST(Discovery, FolderWithoutTablesGivesEmptyList) {
    BridgeEnv env;
    touch(env.paradoxFolder / "readme.txt");
    touch(env.paradoxFolder / "sub" / "x.mb");
    fs::create_directories(env.paradoxFolder / "folder.db");  // a folder, not a table file
    EXPECT_TRUE(discover(env).empty());
    EXPECT_TRUE(env.dialogs.messages.empty());
}

TEST(Discovery, NamesAreUpperCasedWithEveryDbRemoved) {
    BridgeEnv env;
    touch(env.paradoxFolder / "ORDERS.DB.DB");
    EXPECT_EQ(discover(env), std::vector<std::string>{"ORDERS"});
    fs::remove(env.paradoxFolder / "ORDERS.DB.DB");
    touch(env.paradoxFolder / "OLD.DBX.DB");
    EXPECT_EQ(discover(env), std::vector<std::string>{"OLDX"});
    fs::remove(env.paradoxFolder / "OLD.DBX.DB");
    touch(env.paradoxFolder / "customer.db");
    EXPECT_EQ(discover(env), std::vector<std::string>{"CUSTOMER"});
    fs::remove(env.paradoxFolder / "customer.db");
    touch(env.paradoxFolder / "bäume.db");
    EXPECT_EQ(discover(env), std::vector<std::string>{"BÄUME"});
}

TEST(Discovery, TildeFilesAreSkipped) {
    BridgeEnv env;
    touch(env.paradoxFolder / "~CUST.DB");
    touch(env.paradoxFolder / "sub" / "~x.db");
    touch(env.paradoxFolder / "A~B.db");
    EXPECT_EQ(discover(env), std::vector<std::string>{"A~B"});
}

// Files named *.db that are certainly no table are not offered; a damaged one is (opening says why).
TEST(Discovery, FilesThatAreNoTablesAreNotListed) {
    BridgeEnv env;
    std::ofstream(env.paradoxFolder / "EMPTY.db");
    std::ofstream(env.paradoxFolder / "CACHE.db") << std::string("SQLite format 3\0", 16) << "rest";
    std::ofstream(env.paradoxFolder / "Thumbs.db") << "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 ole";
    touch(env.paradoxFolder / "DAMAGED.db");
    EXPECT_EQ(discover(env), std::vector<std::string>{"DAMAGED"});
}

TEST(Discovery, FolderFirstThenSubFoldersLevelByLevelWithDuplicates) {
    BridgeEnv env;
    touch(env.paradoxFolder / "one" / "two" / "DEEP.DB");
    touch(env.paradoxFolder / "one" / "Customer.db");
    touch(env.paradoxFolder / "zwei" / "CUSTOMER.DB");
    touch(env.paradoxFolder / "TOP.DB");
    VectorTableList list;
    AddTablesToParadoxListbox(env.ctx, list);
    const auto& names = list.items;
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names.front(), "TOP");
    EXPECT_EQ(names.back(), "DEEP");
    EXPECT_EQ(std::count(names.begin(), names.end(), "CUSTOMER"), 2);
    // Each item keeps the folder its table lives in.
    const std::string top = env.paradoxFolder.string();
    EXPECT_EQ(list.folders.front(), top);
    EXPECT_EQ(list.folders.back(), top + "/one/two");
    for (size_t i = 1; i < 3; ++i) EXPECT_TRUE(list.folders[i] == top + "/one" || list.folders[i] == top + "/zwei");
    EXPECT_NE(list.folders[1], list.folders[2]);
}

// A list whose add fails for one name: the error report names the step, and the walk goes on.
class FailingList : public VectorTableList {
public:
    void add(const std::string& text, const std::string& folder) override {
        if (text == "BAD") throw std::runtime_error("list is full");
        VectorTableList::add(text, folder);
    }
};

TEST(Discovery, AFailingStepIsReportedAndTheWalkGoesOn) {
    BridgeEnv env;
    touch(env.paradoxFolder / "BAD.DB");
    touch(env.paradoxFolder / "sub" / "GOOD.DB");
    FailingList list;
    AddTablesToParadoxListbox(env.ctx, list);
    EXPECT_EQ(list.items, std::vector<std::string>{"GOOD"});
    ASSERT_EQ(env.dialogs.messages.size(), 1u);
    EXPECT_EQ(env.dialogs.messages[0].caption, "Application Error");
    EXPECT_EQ(env.dialogs.messages[0].text,
              "list is full\r\nin Tabrevel2021/08/31.Paradox.AddTablesToParadoxListbox at line 128\r\r"
              "Please email screenshot of this message to " +
                  std::string(kSupportEmail));
}

TEST(Discovery, MissingFolderListsNothing) {
    BridgeEnv env;
    env.folderText = (env.root.path() / "nowhere").string();
    EXPECT_TRUE(discover(env).empty());
}

TEST(Discovery, EveryFixtureTableIsListed) {
    for (const char* sub : {"db", "fields", "joins", "encrypt"}) {
        BridgeEnv env;
        copyFiles(fixtures() / sub, env.paradoxFolder);
        const auto names = discover(env);
        for (const auto& entry : fs::directory_iterator(fixtures() / sub)) {
            std::string file = entry.path().filename().string();
            std::string ext = entry.path().extension().string();
            for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (ext != ".DB") continue;
            for (char& c : file) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            const std::string table = file.substr(0, file.size() - 3);
            EXPECT_EQ(std::count(names.begin(), names.end(), table), 1) << sub << "/" << table;
        }
    }
}

TEST(FolderHasParadoxTables, EmptyTextTildeAndSubFolders) {
    BridgeEnv env;
    env.folderText = "";
    EXPECT_FALSE(FolderHasParadoxTables(env.ctx));
    env.folderText = env.paradoxFolder.string();
    touch(env.paradoxFolder / "sub" / "CUSTOMER.DB");
    EXPECT_FALSE(FolderHasParadoxTables(env.ctx));  // sub-folders are not searched
    touch(env.paradoxFolder / "~X.DB");
    EXPECT_TRUE(FolderHasParadoxTables(env.ctx));  // a tilde name counts here
}

}  // namespace
}  // namespace vts::test
