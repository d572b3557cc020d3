#include "platform/db/connection_string.h"

#include "platform/shell/errors.h"

namespace db {

namespace {

const std::string kWorkingHead = "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=";
const std::string kWorkingTail = ";JET OLEDB:Database Password=";

}  // namespace

std::string workingConnectionString(const std::string& dbPath) { return kWorkingHead + dbPath + kWorkingTail; }

std::string workingDatabasePath(const std::string& text) {
    const bool working = text.size() >= kWorkingHead.size() + kWorkingTail.size() &&
                         text.compare(0, kWorkingHead.size(), kWorkingHead) == 0 &&
                         text.compare(text.size() - kWorkingTail.size(), kWorkingTail.size(), kWorkingTail) == 0;
    if (!working) throw vts::Error("Unknown connection string: \"" + text + "\"");
    // The path may itself hold ';': it is everything between the known head and tail.
    return text.substr(kWorkingHead.size(), text.size() - kWorkingHead.size() - kWorkingTail.size());
}

}  // namespace db
