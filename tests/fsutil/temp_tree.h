// A scratch folder tree for the folder-utility tests, removed with everything in it.
#pragma once
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace vts::test {

class TempTree {
public:
    // rel's full path; folder() adds the trailing '/' the folder list uses.
    std::string path(const std::string& rel = {}) const { return (root_.path() / rel).string(); }
    std::string folder(const std::string& rel = {}) const {
        std::string p = path(rel);
        return p.back() == '/' ? p : p + '/';
    }
    void mkdirs(const std::string& rel) const { std::filesystem::create_directories(root_.path() / rel); }
    void touch(const std::string& rel) const { std::ofstream(root_.path() / rel) << "x"; }
    void link(const std::string& rel, const std::string& target) const {
        std::filesystem::create_symlink(target, root_.path() / rel);
    }

private:
    TempDir root_;
};

}  // namespace vts::test
