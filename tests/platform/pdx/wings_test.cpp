// The engine's plan: every file in a wing, and no wing including from one above it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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
    const std::string prefix = "#include \"platform/pdx/";
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(engine)) {
        const auto ext = e.path().extension();
        if (ext != ".cpp" && ext != ".h") continue;
        ++files;
        const std::string wing = e.path().parent_path().filename().string();
        ASSERT_GE(rank(wing), 0) << e.path() << " is in no wing";
        std::ifstream in(e.path());
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(prefix, 0) != 0) continue;
            const auto slash = line.find('/', prefix.size());
            const std::string from =
                slash == std::string::npos ? "" : line.substr(prefix.size(), slash - prefix.size());
            ASSERT_GE(rank(from), 0) << e.path() << ": " << line << " names no wing";
            EXPECT_LE(rank(from), rank(wing)) << e.path() << " includes from the later wing " << from;
        }
    }
    EXPECT_GT(files, 100);
}

}  // namespace
