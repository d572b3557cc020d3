// GetSubDirectories2016 on real trees: breadth-first order, skipped names and folders,
// folders that cannot be listed, and link cycles.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "fsutil/folder_scan.h"
#include "temp_tree.h"

namespace vts {
namespace {

std::string parentOf(const std::string& folder) {
    return folder.substr(0, folder.find_last_of('/', folder.size() - 2) + 1);
}

// Breadth-first: every entry after the given ones has its parent earlier in the list, and
// the parents' positions never go down (children of the first, of the second, ...).
::testing::AssertionResult isBreadthFirst(const FolderList& list, size_t given) {
    std::map<std::string, size_t> position;
    size_t lastParent = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i >= given) {
            const auto parent = position.find(parentOf(list[i]));
            if (parent == position.end()) return ::testing::AssertionFailure() << list[i] << " before its parent";
            if (parent->second < lastParent) return ::testing::AssertionFailure() << list[i] << " out of level order";
            lastParent = parent->second;
        }
        position[list[i]] = i;
    }
    return ::testing::AssertionSuccess();
}

class FolderScan : public ::testing::Test {
protected:
    FolderList scan(FolderList folders, bool recurse = true) {
        GetSubDirectories2016(folders, recurse, ctx);
        return folders;
    }
    std::set<std::string> asSet(const FolderList& list) { return {list.begin(), list.end()}; }
    std::set<std::string> under(std::initializer_list<const char*> rels) {
        std::set<std::string> out;
        for (const char* rel : rels) out.insert(tree.folder(rel));
        return out;
    }

    test::TempTree tree;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext ctx{dialogs, launcher};
};

TEST_F(FolderScan, ListsEveryFolderLevelByLevel) {
    for (const char* rel : {"a/a1/a11", "a/a2", "b/b1/b11/b111", "c", ".hidden/h1"}) tree.mkdirs(rel);
    tree.touch("a/file.db");
    const auto list = scan({tree.folder()});
    EXPECT_EQ(list.front(), tree.folder());
    EXPECT_TRUE(isBreadthFirst(list, 1));
    EXPECT_EQ(asSet(list), under({"", "a", "a/a1", "a/a1/a11", "a/a2", "b", "b/b1", "b/b1/b11", "b/b1/b11/b111", "c",
                                  ".hidden", ".hidden/h1"}));
    EXPECT_EQ(list.size(), 12u);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FolderScan, WithoutRecursionOnlyChildrenAndLeavesStayAlone) {
    tree.mkdirs("a/a1");
    tree.mkdirs("b");
    EXPECT_EQ(asSet(scan({tree.folder()}, false)), under({"", "a", "b"}));
    EXPECT_EQ(scan({tree.folder("b")}), FolderList{tree.folder("b")});
}

TEST_F(FolderScan, SeveralGivenEntriesKeepTheirOrderAhead) {
    tree.mkdirs("p/p1/p2");
    tree.mkdirs("q/q1");
    const auto list = scan({tree.folder("q"), tree.folder("p")});
    EXPECT_EQ(list, (FolderList{tree.folder("q"), tree.folder("p"), tree.folder("q/q1"), tree.folder("p/p1"),
                                tree.folder("p/p1/p2")}));
}

TEST_F(FolderScan, UnusualNamesAndTrashAreSkippedWithEverythingBelow) {
    for (const char* name :
         {"ctl\x01", "del\x7F", "c1\xC2\x80", "c1\xC2\x9F", "why?", "bad\xFF", "lost+found", ".Trash", ".Trash-0"})
        tree.mkdirs(std::string(name) + "/inner");
    tree.mkdirs("caf\xC3\xA9/inner");
    tree.mkdirs(".Trash-x/inner");  // not a trash folder name
    EXPECT_EQ(asSet(scan({tree.folder()})),
              under({"", "caf\xC3\xA9", "caf\xC3\xA9/inner", ".Trash-x", ".Trash-x/inner"}));
}

TEST_F(FolderScan, LinkCyclesEndAndLinkedFoldersAppearOnce) {
    test::TempTree outside;
    outside.mkdirs("x/y");
    tree.mkdirs("a/a1");
    tree.mkdirs("b/b1");
    tree.link("a/up", tree.path());               // to the scan's own root
    tree.link("a/self", tree.path("a"));          // to its own folder
    tree.link("b/side", tree.path("a/a1"));       // into the scanned tree
    tree.link("out", outside.path("x"));          // outside: followed once
    tree.link("b/out2", outside.path("x"));       // the same outside folder again
    outside.link("x/back", tree.path("b"));       // from outside back into the tree
    outside.link("x/y/loop", outside.path("x"));  // a cycle outside the tree
    const auto list = scan({tree.folder()});
    EXPECT_TRUE(isBreadthFirst(list, 1));
    EXPECT_EQ(asSet(list), under({"", "a", "a/a1", "b", "b/b1", "out", "out/y"}));
    EXPECT_EQ(list.size(), 7u);
}

TEST_F(FolderScan, GivenFolderReachedThroughALinkIsStillSearched) {
    tree.mkdirs("real/sub");
    tree.link("alias", tree.path("real"));
    EXPECT_EQ(scan({tree.folder("alias")}), (FolderList{tree.folder("alias"), tree.folder("alias/sub")}));
}

TEST_F(FolderScan, FolderGoneBeforeListingIsDroppedAndTheScanGoesOn) {
    tree.mkdirs("x");
    tree.mkdirs("y/y1");
    tree.mkdirs("z/z1");
    int yields = 0;
    // The second yield is y's own, after its existence test and before its listing.
    ctx.yieldToUi = [&] {
        if (++yields == 2) std::filesystem::remove_all(tree.path("y"));
    };
    EXPECT_EQ(scan({tree.folder("x"), tree.folder("y"), tree.folder("z")}),
              (FolderList{tree.folder("x"), tree.folder("z"), tree.folder("z/z1")}));
    EXPECT_TRUE(dialogs.messages.empty());
}

// Scans root/{locked (mode 000)/inner, open/sub} and checks that locked is dropped.
bool lockedFolderIsDropped(const test::TempTree& tree, AppContext& ctx) {
    FolderList list{tree.folder()};
    GetSubDirectories2016(list, true, ctx);
    const std::set<std::string> got(list.begin(), list.end());
    return got == std::set<std::string>{tree.folder(), tree.folder("open"), tree.folder("open/sub")};
}

TEST_F(FolderScan, UnreadableFolderIsDroppedAndTheScanGoesOn) {
    tree.mkdirs("locked/inner");
    tree.mkdirs("open/sub");
    ::chmod(tree.path().c_str(), 0755);
    ::chmod(tree.path("locked").c_str(), 0);
    if (::geteuid() != 0) {
        EXPECT_TRUE(lockedFolderIsDropped(tree, ctx));
        return;
    }
    // Permission bits do not stop root: scan from a child that runs as "nobody".
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(2);
            std::_Exit(lockedFolderIsDropped(tree, ctx) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(FolderScan, FailingStepShowsTheReportAndTheScanGoesOn) {
    tree.mkdirs("a/a1");
    int yields = 0;
    ctx.yieldToUi = [&] {
        if (++yields == 1) throw std::runtime_error("Yield failed");
    };
    EXPECT_EQ(asSet(scan({tree.folder()})), under({"", "a", "a/a1"}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Application Error");
    EXPECT_EQ(dialogs.messages[0].text.substr(0, 79),
              "Yield failed\r\nin Pellmoor2021/08/31.AddFolder.GetSubDirectories2016 at line 114");
}

TEST_F(FolderScan, RootIsSearchedButPseudoFileSystemsAreNot) {
    if (!DirectoryExists("/proc/self")) GTEST_SKIP() << "no /proc mounted";
    const auto list = scan({"/"}, false);
    EXPECT_EQ(list.front(), "/");
    EXPECT_GT(list.size(), 1u);
    EXPECT_EQ(std::count(list.begin(), list.end(), "/proc/"), 0);
}

}  // namespace
}  // namespace vts
