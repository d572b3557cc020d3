#include "platform/shell/temp_folder.h"

#include <cstdlib>

namespace vts {

std::string TempFolder() {
    for (const char* name : {"TEMP", "TMPDIR"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return "/tmp";
}

}  // namespace vts
