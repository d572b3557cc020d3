#include "bridge/paradox.h"
#include "platform/db/connection_string.h"

namespace vts {

std::string WorkingConnectionString(const std::filesystem::path& appFolder) {
    return db::workingConnectionString(appFolder.string() + "/dbTemp.mdb");
}

}  // namespace vts
