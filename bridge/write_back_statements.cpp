#include "bridge/write_back_statements.h"

#include "bridge/sql_quoting.h"

namespace vts {

std::string SelectAllBracketedStatement(const std::string& name) {
    return "select * from [" + bracketEscaped(name) + "]";
}

std::string SelectIntoParadoxStatement(long rowCount, const std::string& targetFolder, const std::string& name) {
    return "select top " + std::to_string(rowCount) + " * into [Paradox 5.x;Database=" +
           bracketEscaped(targetFolder) + "].[" + bracketEscaped(name) + ".db] from [" + bracketEscaped(name) + "]";
}

std::string DropBracketedStatement(const std::string& name) { return "DROP TABLE [" + bracketEscaped(name) + "]"; }

}  // namespace vts
