// Recognises the statement shapes the providers carry out themselves.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/sql_tokens.h"

namespace db {

// "SELECT * FROM name": the name, however quoted.
std::optional<std::string> selectAllFrom(const std::vector<Token>& s);
// "DROP TABLE name": the name.
std::optional<std::string> dropTable(const std::vector<Token>& s);

// "select top N * into [Paradox 5.x;Database=FOLDER].[NAME.db] from [SOURCE]".
struct SelectInto {
    std::int64_t top = 0;
    std::string folder;
    std::string target;  // NAME, without ".db"
    std::string source;
};
bool looksLikeSelectInto(const std::vector<Token>& s);  // SELECT ... INTO ...
// Throws vts::Error naming `sql` when the statement is not of that exact shape.
SelectInto parseSelectInto(const std::vector<Token>& s, const std::string& sql);

}  // namespace db
