#include "bridge/paradox.h"
#include "platform/db/connection_string.h"

namespace vts {

std::string WorkingConnectionString(const std::filesystem::path& folder) {
    return db::workingConnectionString(folder.string() + "/dbTemp.mdb");
}

}  // namespace vts
