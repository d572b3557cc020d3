#include "platform/xlsx/private_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/shell/errors.h"

namespace vts::xlsx {

PrivateFolder::PrivateFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vts-sheet-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw Error("Cannot create a temporary folder in \"" + pattern.substr(0, pattern.rfind('/')) +
                    "\": " + std::strerror(errno));
    path_ = buffer.data();
}

PrivateFolder::~PrivateFolder() {
    if (keep_) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace vts::xlsx
