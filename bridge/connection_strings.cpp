#include "bridge/paradox.h"

namespace vts {

std::string ParadoxConnectionString(const std::string& folder) {
    return "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=" + folder +
           ";Dbq=" + folder + ";CollatingSequence=ASCII;";
}

std::string WorkingConnectionString(const std::filesystem::path& appFolder) {
    return "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + appFolder.string() +
           "/dbTemp.mdb;JET OLEDB:Database Password=";
}

}  // namespace vts
