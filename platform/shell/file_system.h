// The file-system operations the sample copy needs: folder tests, creation, copying, drive names.
#pragma once
#include <string>

namespace vts {

class FileSystemObject {
public:
    virtual ~FileSystemObject() = default;
    virtual bool FolderExists(const std::string& path);
    virtual void CreateFolder(const std::string& path);  // throws vts::Error
    // Copies every file and sub-folder of source into destination, replacing same-named files.
    virtual void CopyFolder(const std::string& source, const std::string& destination, bool overwrite);
    // Linux has no drive names: the drive part of every path is empty, so its root is "/".
    virtual std::string GetDriveName(const std::string& path);
};

}  // namespace vts
