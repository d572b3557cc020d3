// IsExistingFile and DirectoryExists on real files, folders, links and odd objects.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "fsutil/path_tests.h"
#include "temp_tree.h"

namespace vts {
namespace {

class PathTests : public ::testing::Test {
protected:
    void SetUp() override {
        tree.mkdirs("dir");
        tree.touch(".hidden.db");
        tree.touch("plain.db");
        tree.link("file-link", tree.path("plain.db"));
        tree.link("dir-link", tree.path("dir"));
        tree.link("dangling", tree.path("nowhere"));
    }
    test::TempTree tree;
};

TEST_F(PathTests, IsExistingFileForFiles) {
    EXPECT_TRUE(IsExistingFile(tree.path("plain.db")));
    EXPECT_TRUE(IsExistingFile(tree.path(".hidden.db")));
    EXPECT_TRUE(IsExistingFile(tree.path("file-link")));
}

TEST_F(PathTests, IsExistingFileFalseForFoldersAndMissingPaths) {
    EXPECT_FALSE(IsExistingFile(tree.path("dir")));
    EXPECT_FALSE(IsExistingFile(tree.path("dir-link")));
    EXPECT_FALSE(IsExistingFile(tree.path("dangling")));
    EXPECT_FALSE(IsExistingFile(tree.path("missing.db")));
    EXPECT_FALSE(IsExistingFile(tree.path("plain.db/")));
    EXPECT_FALSE(IsExistingFile(""));
    EXPECT_FALSE(IsExistingFile(tree.path("plain.db") + std::string(1, '\0') + "x"));
}

TEST_F(PathTests, UnreadableFileStillExistsAndFifoIsNotAFile) {
    ::chmod(tree.path("plain.db").c_str(), 0);
    EXPECT_TRUE(IsExistingFile(tree.path("plain.db")));
    // A FIFO without a writer would block a plain open.
    ASSERT_EQ(::mkfifo(tree.path("pipe").c_str(), 0644), 0);
    EXPECT_FALSE(IsExistingFile(tree.path("pipe")));
}

TEST_F(PathTests, DirectoryExists) {
    EXPECT_TRUE(DirectoryExists(tree.path("dir")));
    EXPECT_TRUE(DirectoryExists(tree.folder("dir")));
    EXPECT_TRUE(DirectoryExists(tree.path("dir-link")));
    EXPECT_FALSE(DirectoryExists(tree.path("plain.db")));
    EXPECT_FALSE(DirectoryExists(tree.path("dangling")));
    EXPECT_FALSE(DirectoryExists(tree.path("missing")));
    EXPECT_FALSE(DirectoryExists(""));
}

}  // namespace
}  // namespace vts
