#include "bridge/path_text.h"

namespace vts {

namespace {

// Every "//" becomes "/", without overlap: three become two, four become two.
std::string collapsePairs(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '/') ++i;
    }
    return out;
}

}  // namespace

std::string FileNameFromPath(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string CollapseBackslashes(const std::string& path) {
    // 1. A path that does not begin with '/'.
    if (path.empty() || path.front() != '/') return collapsePairs(path);
    // 2. The leading run of '/' becomes exactly two.
    size_t first = 1;
    while (first < path.size() && path[first] == '/') ++first;
    return "//" + collapsePairs(path.substr(first));
}

}  // namespace vts
