// Turns a statement of the callers' Jet dialect into SQLite text.
#pragma once
#include <string>
#include <vector>

#include "platform/db/sql_tokens.h"

namespace db {

// [a]]b] becomes "a]b"; backquoted names stay; in CREATE TABLE the Jet column types take a
// declared type whose SQLite affinity keeps their values exactly ("MEMO TEXT", "DECIMAL TEXT",
// "DATETIME TEXT", "OLEOBJECT BLOB"), with the Jet name first so it can be reported back.
// `statement` holds the tokens of `sql` (see singleStatement); the result ends with its last token.
std::string translateJet(const std::string& sql, const std::vector<Token>& statement);

}  // namespace db
