// A fresh folder only this user can enter, removed with its contents unless kept.
#pragma once
#include <string>

namespace vts::xlsx {

inline constexpr const char* kSheetFolderPrefix = "vts-sheet-";

// Removes folder and its contents, giving back the write permission that makeReadOnly took.
// Failures are ignored: what stays is removed by a later RemoveStaleSheetFolders.
void RemoveSheetFolder(const std::string& folder) noexcept;

class PrivateFolder {
public:
    // Creates "vts-sheet-XXXXXX" (mode 0700) under TempFolder(); throws vts::Error.
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::string& path() const { return path_; }
    // Its files become 0400 and the folder 0500: a program that shows them can read them, but
    // its Save fails instead of going silently into a folder that is about to be removed.
    void makeReadOnly();
    void keep() { keep_ = true; }  // it now belongs to a program that reads from it

private:
    std::string path_;
    bool keep_ = false;
};

}  // namespace vts::xlsx
