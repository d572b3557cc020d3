// What a table replacement may leave in a folder: the lock file (which stays on purpose) and,
// after an unfinished attempt, its journal, staged and set-aside files.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace vts::test {

inline constexpr const char* kLockFileName = ".vts-lock";

// Names of files left by unfinished replacements (journal, staged, set-aside); empty when clean.
inline std::vector<std::string> replaceDebris(const std::filesystem::path& dir) {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (name != kLockFileName && name.find(".vts-") != std::string::npos) found.push_back(name);
    }
    return found;
}

}  // namespace vts::test
