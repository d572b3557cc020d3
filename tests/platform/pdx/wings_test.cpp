// The engine's plan: every file in a wing, and no wing including from one above it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kWings = {"format", "protect", "io", "read", "write", "check", "replace"};

int rank(const std::string& wing) {
    const auto it = std::find(kWings.begin(), kWings.end(), wing);
    return it == kWings.end() ? -1 : static_cast<int>(it - kWings.begin());
}

TEST(EngineWings, EachWingIncludesOnlyFromItselfAndTheWingsBeforeIt) {
    namespace fs = std::filesystem;
    const fs::path engine = fs::path(VTS_SOURCE_DIR) / "platform" / "pdx";
    const std::regex include(R"(#include "platform/pdx/([a-z]+)/[a-z_0-9]+\.h")");
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(engine)) {
        const auto ext = e.path().extension();
        if (ext != ".cpp" && ext != ".h") continue;
        ++files;
        const std::string wing = e.path().parent_path().filename().string();
        ASSERT_GE(rank(wing), 0) << e.path() << " is in no wing";
        std::ifstream in(e.path());
        std::smatch m;
        for (std::string line; std::getline(in, line);) {
            EXPECT_EQ(line.find("#include \"platform/pdx/") == 0 && !std::regex_search(line, m, include), false)
                << e.path() << ": " << line;
            if (std::regex_search(line, m, include)) {
                EXPECT_LE(rank(m[1]), rank(wing)) << e.path() << " includes from the later wing " << m[1];
            }
        }
    }
    EXPECT_GT(files, 100);
}

}  // namespace
