#include "export/printer_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/shell/errors.h"

namespace vts {

void DeleteFileQuietly(AppContext& app, const std::string& path) {
    app.yieldToUi();                                             // 1.
    try {                                                        // 2.
        if (::unlink(path.c_str()) != 0) ForceDeleteFile(path);  // 3.
    } catch (...) {}
}

void ForceDeleteFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) throw Error("Cannot delete the file \"" + path + "\": " + std::strerror(errno));
}

}  // namespace vts
