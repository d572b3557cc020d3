#include "platform/shell/data_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>

#include "platform/shell/errors.h"

namespace vts {

namespace fs = std::filesystem;

namespace {

fs::path userDataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && fs::path(xdg).is_absolute()) return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) throw Error("The home folder is not known (HOME is not set), so there is no place for data.");
    return fs::path(home) / ".local" / "share";
}

std::string uniqueSuffix() {
    std::random_device rd;
    return std::to_string(getpid()) + "-" + std::to_string(rd());
}

}  // namespace

bool isWritableFolder(const fs::path& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

bool isBuildFolder(const fs::path& appFolder) {
    std::error_code ec;
    return fs::is_regular_file(appFolder / kBuildFolderMark, ec);
}

fs::path chooseDataFolder(const fs::path& appFolder, const std::function<bool(const fs::path&)>& writable) {
    if (writable(appFolder)) return appFolder;
    const fs::path data = userDataHome() / "verdalith-table-studio";
    std::error_code ec;
    fs::create_directories(data, ec);
    if (ec) throw Error("The data folder \"" + data.string() + "\" could not be created: " + ec.message());
    return data;
}

fs::path userSamplesFolder(const fs::path& appFolder, const fs::path& dataFolder) {
    const fs::path shipped = appFolder / "Samples";
    if (dataFolder == appFolder) return shipped;
    const fs::path own = dataFolder / "Samples";
    std::error_code ec;
    if (fs::exists(own, ec)) return own;
    // Copied under a private name and renamed, so an interrupted copy is never taken for the samples.
    const fs::path partial = dataFolder / (".Samples.partial-" + uniqueSuffix());
    fs::copy(shipped, partial, fs::copy_options::recursive, ec);
    if (!ec) fs::rename(partial, own, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove_all(partial, ignored);
        if (fs::exists(own, ignored)) return own;  // another run made it meanwhile
        throw Error("The samples could not be copied to \"" + own.string() + "\": " + ec.message());
    }
    // The copies belong to the user now, whatever mode the installed files had.
    for (const auto& entry : fs::recursive_directory_iterator(own, ec))
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    return own;
}

}  // namespace vts
