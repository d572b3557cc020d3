// Copies of the shared fixtures, which are read-only where they lie: a copy a test writes to
// gets its owner's write permission, as a user's own table has.
#pragma once
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

namespace vts::test {

inline void copyWritable(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

// Copies the table `name` of `fromDir` with its companions (every file of that stem, in any
// letter case) into `toDir`, under the stem `as` when one is given. Returns the copied table file.
inline std::filesystem::path copyFamily(const std::filesystem::path& fromDir, const std::string& name,
                                        const std::filesystem::path& toDir, const std::string& as = {}) {
    const auto sameNoCase = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
               });
    };
    std::filesystem::create_directories(toDir);
    std::filesystem::path table;
    for (const auto& e : std::filesystem::directory_iterator(fromDir)) {
        if (!e.is_regular_file() || !sameNoCase(e.path().stem().string(), name)) continue;
        const std::string copied = (as.empty() ? e.path().stem().string() : as) + e.path().extension().string();
        copyWritable(e.path(), toDir / copied);
        if (sameNoCase(e.path().extension().string(), ".db")) table = toDir / copied;
    }
    return table;
}

// The same for the table of a .db file.
inline std::filesystem::path copyFamily(const std::filesystem::path& dbFile, const std::filesystem::path& toDir) {
    return copyFamily(dbFile.parent_path(), dbFile.stem().string(), toDir);
}

}  // namespace vts::test
