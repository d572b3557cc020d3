// ListFiles: matching, what is left out, and the 1-based array's growth in steps of 50.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "fsutil/list_files.h"
#include "temp_tree.h"

namespace vts {
namespace {

std::set<std::string> namesOf(const FileNameArray& files) {
    std::set<std::string> names;
    for (int i = 1; i <= files.ubound(); ++i) names.insert(files[i]);
    return names;
}

TEST(ListFiles, MatchesWithoutRegardToCaseAndSkipsNonFiles) {
    test::TempTree tree;
    for (const char* name : {"X.DB", "x2.db", "X3.Db", ".hidden.db", "notes.txt", "db", "a.dbx"}) tree.touch(name);
    tree.mkdirs("folder.db");
    tree.link("link.db", tree.path("X.DB"));
    tree.link("dead.db", tree.path("nowhere"));
    const auto files = ListFiles(tree.path(), "*.db");  // no trailing '/'
    EXPECT_EQ(namesOf(files), (std::set<std::string>{"X.DB", "x2.db", "X3.Db", ".hidden.db", "link.db"}));
    EXPECT_EQ(files.ubound(), 5);
    EXPECT_EQ(namesOf(ListFiles(tree.folder(), "x?.DB")), (std::set<std::string>{"x2.db", "X3.Db"}));
}

TEST(ListFiles, BracketsAreLiteral) {
    test::TempTree tree;
    tree.touch("[a].db");
    tree.touch("a.db");
    EXPECT_EQ(namesOf(ListFiles(tree.folder(), "[a].db")), (std::set<std::string>{"[a].db"}));
}

TEST(ListFiles, NothingMatchedGivesTheSingleEmptyIndexZero) {
    test::TempTree tree;
    tree.touch("a.txt");
    for (const auto& folder : {tree.folder(), tree.path("missing"), tree.path("a.txt"), std::string()}) {
        const auto files = ListFiles(folder, "*.db");
        EXPECT_EQ(files.ubound(), 0) << folder;
        EXPECT_EQ(files[0], "");
        EXPECT_THROW(files[1], std::out_of_range);
    }
}

TEST(ListFiles, GrowsByFiftyAndTrimsToTheCount) {
    struct Case {
        int count, peak;
    };
    for (const Case c : {Case{1, 100}, Case{100, 100}, Case{101, 150}, Case{150, 150}, Case{151, 200}}) {
        test::TempTree tree;
        for (int i = 1; i <= c.count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "t%03d.db", i);
            tree.touch(name);
        }
        const auto files = ListFiles(tree.folder(), "*.DB");
        EXPECT_EQ(files.ubound(), c.count);
        EXPECT_EQ(files.capacity(), c.count);
        EXPECT_EQ(files.peakCapacity(), c.peak) << c.count;
        EXPECT_EQ(namesOf(files).size(), static_cast<size_t>(c.count));
    }
}

}  // namespace
}  // namespace vts
