// Recognises the two connection strings and takes the folder or file path out of them.
#include "platform/db/connection_string.h"

#include "platform/db/connection.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

const std::string kParadoxHead =
    "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=";
const std::string kParadoxMiddle = ";Dbq=";
const std::string kParadoxTail = ";CollatingSequence=ASCII;";
const std::string kWorkingHead = "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=";
const std::string kWorkingTail = ";JET OLEDB:Database Password=";

bool startsWith(const std::string& s, const std::string& p) { return s.compare(0, p.size(), p) == 0; }

bool endsWith(const std::string& s, const std::string& p) {
    return s.size() >= p.size() && s.compare(s.size() - p.size(), p.size(), p) == 0;
}

// The text between a known head and tail; the folder may itself hold ';' or "Dbq=".
std::string between(const std::string& s, const std::string& head, const std::string& tail) {
    return s.substr(head.size(), s.size() - head.size() - tail.size());
}

std::string paradoxFolder(const std::string& text) {
    const std::string middle = between(text, kParadoxHead, kParadoxTail);
    // folder + ";Dbq=" + folder: the two copies are equal, so the split is at the centre.
    if ((middle.size() - kParadoxMiddle.size()) % 2 == 0 && middle.size() >= kParadoxMiddle.size()) {
        const std::size_t n = (middle.size() - kParadoxMiddle.size()) / 2;
        const std::string first = middle.substr(0, n);
        if (middle.compare(n, kParadoxMiddle.size(), kParadoxMiddle) == 0 &&
            middle.compare(n + kParadoxMiddle.size(), n, first) == 0)
            return first;
    }
    throw vts::Error("The Paradox connection string names two different folders: \"" + text + "\"");
}

}  // namespace

std::string paradoxConnectionString(const std::string& folder) {
    return kParadoxHead + folder + kParadoxMiddle + folder + kParadoxTail;
}

std::string workingConnectionString(const std::string& dbPath) { return kWorkingHead + dbPath + kWorkingTail; }

ConnectionTarget parseConnectionString(const std::string& text) {
    const bool paradox = text.size() >= kParadoxHead.size() + kParadoxTail.size() &&
                         startsWith(text, kParadoxHead) && endsWith(text, kParadoxTail);
    if (paradox) return {ConnectionTarget::ParadoxFolder, paradoxFolder(text)};
    const bool working = text.size() >= kWorkingHead.size() + kWorkingTail.size() &&
                         startsWith(text, kWorkingHead) && endsWith(text, kWorkingTail);
    if (working) return {ConnectionTarget::WorkingDatabase, between(text, kWorkingHead, kWorkingTail)};
    throw vts::Error("Unknown connection string: \"" + text + "\"");
}

}  // namespace db
