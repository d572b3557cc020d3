// A scratch folder tree for the folder-utility tests, removed with everything in it.
#pragma once
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vts::test {

class TempTree {
public:
    TempTree() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vts-fsutil-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    ~TempTree() {
        std::error_code ec;
        // Locked folders must open again before they can be removed.
        for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0755);
        ::chmod(root_.c_str(), 0755);
        std::filesystem::remove_all(root_, ec);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // rel's full path; folder() adds the trailing '/' the folder list uses.
    std::string path(const std::string& rel = {}) const { return (root_ / rel).string(); }
    std::string folder(const std::string& rel = {}) const {
        std::string p = path(rel);
        return p.back() == '/' ? p : p + '/';
    }
    void mkdirs(const std::string& rel) const { std::filesystem::create_directories(root_ / rel); }
    void touch(const std::string& rel) const { std::ofstream(root_ / rel) << "x"; }
    void link(const std::string& rel, const std::string& target) const {
        std::filesystem::create_symlink(target, root_ / rel);
    }

private:
    std::filesystem::path root_;
};

}  // namespace vts::test
