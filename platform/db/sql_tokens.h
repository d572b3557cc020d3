// Splits SQL text into words, quoted names, string literals and punctuation, and enforces the
// one-statement rule.
#pragma once
#include <string>
#include <vector>

namespace db {

struct Token {
    enum Kind { Word, Backquoted, Bracketed, DoubleQuoted, String, Punct };
    Kind kind = Word;
    std::string raw;    // as written
    std::string value;  // names and strings without quotes, doubled quotes made single
    std::size_t begin = 0, end = 0;

    bool isWord(const char* upper) const;  // case-insensitive keyword test
    bool isPunct(char c) const { return kind == Punct && raw.size() == 1 && raw[0] == c; }
    bool isName() const { return kind == Backquoted || kind == Bracketed || kind == DoubleQuoted; }
};

// Throws vts::Error for an unterminated quote or bracket.
std::vector<Token> tokenize(const std::string& sql);

// The tokens of the only statement in `sql`: one ';' and blanks may follow it, nothing else
// (so a second statement is never carried out). Throws vts::Error otherwise or when empty.
std::vector<Token> singleStatement(const std::string& sql);

std::string upper(std::string s);  // ASCII letters only
bool equalsNoCase(const std::string& a, const std::string& b);

}  // namespace db
