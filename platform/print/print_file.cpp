#include "platform/print/print_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/shell/errors.h"

namespace vts {

std::string CreatePrivateFolder(const std::string& folder, const std::string& prefix) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::absolute(folder, ec);
    if (ec) throw Error("The temporary folder \"" + folder + "\" cannot be used: " + ec.message());
    std::string name = (dir / (prefix + "XXXXXX")).string();
    if (!::mkdtemp(name.data()))
        throw Error("Cannot create a temporary folder in \"" + folder + "\": " + std::strerror(errno));
    return name;
}

void CreateNewFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw Error("Cannot create the file \"" + path + "\": " + std::strerror(errno));
    ::close(fd);
}

}  // namespace vts
