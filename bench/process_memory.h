// The benchmark process's own memory, from /proc/self/status.
#pragma once
#include <fstream>
#include <string>

namespace vts::bench {

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), or -1 when it is not there.
inline long statusKiB(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size() + 1));
    return -1;
}

}  // namespace vts::bench
