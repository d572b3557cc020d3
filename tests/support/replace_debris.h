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

// The state of the replacement's plan (table_replace.h) that the folder shows, read from the
// debris alone: what a crash at that moment leaves for recovery.
inline std::string replaceStateShown(const std::filesystem::path& dir) {
    bool journal = false, aside = false, staged = false;
    for (const auto& name : replaceDebris(dir)) {
        journal = journal || name.ends_with(".vts-journal");
        aside = aside || name.find(".vts-aside") != std::string::npos;
        staged = staged || name.find(".vts-new") != std::string::npos;  // also the journal being written
    }
    if (!journal) return aside ? "set-aside files without a journal" : staged ? "S1 Staged" : "no debris";
    if (staged) return aside ? "S3 Moving" : "S2 Journaled";
    return "S4 Installed";
}

}  // namespace vts::test
