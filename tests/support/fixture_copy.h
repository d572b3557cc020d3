// Copies of the shared fixtures, which are read-only where they lie: a copy a test writes to
// gets its owner's write permission, as a user's own table has.
#pragma once
#include <filesystem>

namespace vts::test {

inline void copyWritable(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

}  // namespace vts::test
