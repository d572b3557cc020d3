#include "bridge/path_text.h"

namespace vts {

std::string FileNameFromPath(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace vts
