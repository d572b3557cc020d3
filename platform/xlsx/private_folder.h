// A fresh folder only this user can enter, removed with its contents unless kept.
#pragma once
#include <string>

namespace vts::xlsx {

class PrivateFolder {
public:
    // Creates "vts-sheet-XXXXXX" (mode 0700) under $TMPDIR, or /tmp; throws vts::Error.
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::string& path() const { return path_; }
    void keep() { keep_ = true; }  // it now belongs to a program that reads from it

private:
    std::string path_;
    bool keep_ = false;
};

}  // namespace vts::xlsx
