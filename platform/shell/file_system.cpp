#include "platform/shell/file_system.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/shell/errors.h"

namespace fs = std::filesystem;

namespace vts {

bool FileSystemObject::FolderExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

void FileSystemObject::CreateFolder(const std::string& path) {
    std::error_code ec;
    if (!fs::create_directory(path, ec) || ec)
        throw Error("Cannot create the folder " + path + (ec ? ": " + ec.message() : ": it already exists"));
}

void FileSystemObject::CopyFolder(const std::string& source, const std::string& destination, bool overwrite) {
    if (!FolderExists(source)) throw Error("Path not found: " + source);
    auto options = fs::copy_options::recursive | fs::copy_options::copy_symlinks;
    options |= overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::skip_existing;
    std::error_code ec;
    fs::copy(source, destination, options, ec);
    if (ec) throw Error("Cannot copy the folder " + source + " to " + destination + ": " + ec.message());
}

// Linux has no drive letters; the place an ordinary user may create folders at the top of is
// the home folder, so that is where "the drive" of a path begins.
// Without its trailing slashes: callers add the one that separates it from what follows.
std::string FileSystemObject::GetDriveName(const std::string&) {
    std::string home;
    if (const char* env = std::getenv("HOME"); env && *env) home = env;
    else if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) home = pw->pw_dir;
    while (!home.empty() && home.back() == '/') home.pop_back();
    return home;
}

}  // namespace vts
