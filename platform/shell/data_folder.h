// Where the program keeps what it writes (the working database, the user's copy of the
// samples): beside the program when it runs from its build folder; in the user's data folder
// when it is installed, whoever runs it (root may write the installed folder, and must not).
#pragma once
#include <filesystem>
#include <functional>

namespace vts {

// The program folder when `writable` says it is, else $XDG_DATA_HOME/verdalith-table-studio
// (~/.local/share/... when unset), created if missing. Throws vts::Error when it cannot be.
std::filesystem::path chooseDataFolder(const std::filesystem::path& appFolder,
                                       const std::function<bool(const std::filesystem::path&)>& writable);
bool isWritableFolder(const std::filesystem::path& folder);
// Whether the program in `appFolder` runs from its build folder, which the build marks with a
// file the installation does not carry.
bool isBuildFolder(const std::filesystem::path& appFolder);
inline constexpr const char* kBuildFolderMark = ".vts-build-folder";

// The samples the user may open and edit: the program's own Samples folder when the data
// folder is the program folder, else a copy in the data folder made on first use (whole, or
// not at all), so the shipped samples never change.
std::filesystem::path userSamplesFolder(const std::filesystem::path& appFolder,
                                        const std::filesystem::path& dataFolder);

}  // namespace vts
