// The file an export is written to before it takes its name: private, and invisible in the folder
// until it is whole.
#pragma once
#include <cstddef>
#include <string>

namespace vts {

// Where the file system allows, an unnamed file in the target's folder, which a crash or a kill
// cannot leave behind and no one can list, remove or put something else in place of; elsewhere
// (NFS, SMB) a fresh private file under a unique name. commit() names it and renames it over the
// target; until then the destructor removes whatever there is of it. Errors are vts::Error naming
// the target.
class ExportTempFile {
public:
    explicit ExportTempFile(std::string target);
    ~ExportTempFile();
    ExportTempFile(const ExportTempFile&) = delete;
    ExportTempFile& operator=(const ExportTempFile&) = delete;

    const std::string& target() const { return target_; }
    void write(const char* data, std::size_t size);
    // Takes over the permission bits of the user's own file being replaced, as a rewrite in place
    // would; a new file, or one of another user's, gets what the umask allows.
    void keepMode();
    // Forces the text to disk and puts the file in the target's place.
    void commit();

private:
    void openNamed();
    void giveName();
    void requireOwnName() const;

    std::string target_;
    std::string dir_;
    std::string path_;  // empty while the file has no name
    int fd_ = -1;
};

}  // namespace vts
