// Recognises the statement shapes the providers carry out themselves.
#include "platform/db/statement_forms.h"


namespace db {

namespace {

bool isNameToken(const Token& t) { return t.isName() || t.kind == Token::Word; }

}  // namespace

std::optional<std::string> selectAllFrom(const std::vector<Token>& s) {
    if (s.size() == 4 && s[0].isWord("SELECT") && s[1].isPunct('*') && s[2].isWord("FROM") && isNameToken(s[3]))
        return s[3].value;
    return std::nullopt;
}

std::optional<std::string> dropTable(const std::vector<Token>& s) {
    if (s.size() == 3 && s[0].isWord("DROP") && s[1].isWord("TABLE") && isNameToken(s[2])) return s[2].value;
    return std::nullopt;
}

}  // namespace db
