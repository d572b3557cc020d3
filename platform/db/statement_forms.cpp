// Recognises the statement shapes the providers carry out themselves.
#include "platform/db/statement_forms.h"

#include "platform/db/value_text.h"
#include "platform/shell/errors.h"

namespace db {

namespace {

bool isNameToken(const Token& t) { return t.isName() || t.kind == Token::Word; }

bool endsWithNoCase(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && equalsNoCase(s.substr(s.size() - tail.size()), tail);
}

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

bool looksLikeSelectInto(const std::vector<Token>& s) {
    if (s.empty() || !s[0].isWord("SELECT")) return false;
    for (const auto& t : s)
        if (t.isWord("INTO")) return true;
    return false;
}

SelectInto parseSelectInto(const std::vector<Token>& s, const std::string& sql) {
    static const std::string kTargetHead = "Paradox 5.x;Database=";
    const bool shape = s.size() == 10 && s[0].isWord("SELECT") && s[1].isWord("TOP") && s[2].kind == Token::Word &&
                       s[3].isPunct('*') && s[4].isWord("INTO") && s[5].kind == Token::Bracketed &&
                       s[6].isWord(".") && s[7].kind == Token::Bracketed && s[8].isWord("FROM") &&
                       (s[9].kind == Token::Bracketed || s[9].kind == Token::Backquoted);
    const auto top = shape ? parseInteger(s[2].raw) : std::nullopt;
    const std::string& head = shape ? s[5].value : sql;
    if (!shape || !top || *top < 0 || head.size() < kTargetHead.size() ||
        !equalsNoCase(head.substr(0, kTargetHead.size()), kTargetHead) || !endsWithNoCase(s[7].value, ".db") ||
        s[7].value.size() == 3 || s[9].value.empty())
        throw vts::Error("Unsupported SELECT ... INTO statement: \"" + sql + "\"");
    SelectInto out;
    out.top = *top;
    out.folder = head.substr(kTargetHead.size());
    out.target = s[7].value.substr(0, s[7].value.size() - 3);
    out.source = s[9].value;
    return out;
}

}  // namespace db
