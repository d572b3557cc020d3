// The statement texts of the write-back (square-bracket quoting on the working database).
#pragma once
#include <string>

namespace vts {

// "select * from [NAME]"
std::string SelectAllBracketedStatement(const std::string& name);
// "select top N * into [Paradox 5.x;Database=FOLDER].[NAME.db] from [NAME]"
std::string SelectIntoParadoxStatement(long rowCount, const std::string& targetFolder, const std::string& name);
// "DROP TABLE [NAME]"
std::string DropBracketedStatement(const std::string& name);

}  // namespace vts
