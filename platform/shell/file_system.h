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
    // The user's home folder (without a trailing slash), which stands in for the drive a path is
    // on: an ordinary user can create folders there, as at the root of a Windows drive.
    virtual std::string GetDriveName(const std::string& path);
};

}  // namespace vts
