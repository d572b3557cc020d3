// Turns a statement of the callers' Jet dialect into SQLite text.
#include "platform/db/jet_translate.h"

#include "platform/db/jet_types.h"
#include "platform/db/sqlite_handle.h"

namespace db {

namespace {

std::string render(const Token& t) { return t.kind == Token::Bracketed ? quoteIdentifier(t.value) : t.raw; }

bool isCreateTable(const std::vector<Token>& s) {
    return s.size() > 2 && s[0].isWord("CREATE") && s[1].isWord("TABLE");
}

bool isConstraintWord(const Token& t) {
    return t.isWord("CONSTRAINT") || t.isWord("PRIMARY") || t.isWord("UNIQUE") || t.isWord("CHECK") ||
           t.isWord("FOREIGN");
}

// Indexes of the tokens that are column types: the word right after a column's name.
std::vector<bool> columnTypePositions(const std::vector<Token>& s) {
    std::vector<bool> isType(s.size(), false);
    if (!isCreateTable(s)) return isType;
    int depth = 0;
    bool atColumnStart = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i].isPunct('(')) {
            atColumnStart = ++depth == 1;
            continue;
        }
        if (s[i].isPunct(')')) {
            --depth;
            continue;
        }
        if (depth == 1 && s[i].isPunct(',')) {
            atColumnStart = true;
            continue;
        }
        if (depth == 1 && atColumnStart) {
            atColumnStart = false;
            if (!isConstraintWord(s[i]) && i + 1 < s.size() && s[i + 1].kind == Token::Word) isType[i + 1] = true;
        }
    }
    return isType;
}

}  // namespace

std::string translateJet(const std::string& sql, const std::vector<Token>& statement) {
    const auto isType = columnTypePositions(statement);
    std::string out;
    std::size_t copied = statement.empty() ? 0 : statement.front().begin;
    for (std::size_t i = 0; i < statement.size(); ++i) {
        out.append(sql, copied, statement[i].begin - copied);  // blanks between tokens, as written
        out += isType[i] ? sqliteDeclaredType(statement[i].raw) : render(statement[i]);
        copied = statement[i].end;
    }
    return out;
}

}  // namespace db
