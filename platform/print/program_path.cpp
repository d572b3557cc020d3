#include "platform/print/program_path.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace vts {

std::string FindProgramOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty() || folder.front() != '/') continue;
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

}  // namespace vts
