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

}  // namespace db
