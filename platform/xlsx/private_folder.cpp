#include "platform/xlsx/private_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/shell/errors.h"
#include "platform/shell/temp_folder.h"

namespace vts::xlsx {

namespace fs = std::filesystem;

void RemoveSheetFolder(const std::string& folder) noexcept {
    std::error_code ignored;
    if (fs::is_symlink(folder, ignored) || !fs::is_directory(folder, ignored)) return;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ignored);
    fs::remove_all(folder, ignored);
}

PrivateFolder::PrivateFolder() {
    std::string pattern = TempFolder() + "/" + kSheetFolderPrefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw Error("Cannot create a temporary folder in \"" + pattern.substr(0, pattern.rfind('/')) +
                    "\": " + std::strerror(errno));
    path_ = buffer.data();
}

PrivateFolder::~PrivateFolder() {
    if (!keep_) RemoveSheetFolder(path_);
}

void PrivateFolder::makeReadOnly() {
    std::error_code ec;
    for (fs::directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec)) {
        if (::chmod(it->path().c_str(), 0400) != 0)
            throw Error("Cannot make \"" + it->path().string() + "\" read-only: " + std::strerror(errno));
    }
    if (ec) throw Error("Cannot list the folder \"" + path_ + "\": " + ec.message());
    if (::chmod(path_.c_str(), 0500) != 0)
        throw Error("Cannot make \"" + path_ + "\" read-only: " + std::strerror(errno));
}

}  // namespace vts::xlsx
