// Splits SQL text into words, quoted names, string literals and punctuation, and enforces the
// one-statement rule.
#include "platform/db/sql_tokens.h"

#include <cctype>
#include <cstring>

#include "platform/shell/errors.h"

namespace db {

std::string upper(std::string s) {
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool equalsNoCase(const std::string& a, const std::string& b) { return upper(a) == upper(b); }

bool Token::isWord(const char* upperText) const { return kind == Word && upper(raw) == upperText; }

static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

static bool isWordChar(char c) { return !isBlank(c) && !std::strchr("()[]`\"',;*=<>+-/|%&!~", c); }

// Reads a quoted run starting at sql[pos] (the opening quote); a doubled closing quote is one.
static std::size_t readQuoted(const std::string& sql, std::size_t pos, char close, std::string& value) {
    for (std::size_t i = pos + 1; i < sql.size(); ++i) {
        if (sql[i] != close) {
            value += sql[i];
        } else if (i + 1 < sql.size() && sql[i + 1] == close) {
            value += close;
            ++i;
        } else {
            return i + 1;
        }
    }
    throw vts::Error("Unterminated " + std::string(1, sql[pos]) + " in \"" + sql + "\"");
}

std::vector<Token> tokenize(const std::string& sql) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (isBlank(c)) {
            ++i;
            continue;
        }
        Token t;
        t.begin = i;
        switch (c) {
        case '`': t.kind = Token::Backquoted; i = readQuoted(sql, i, '`', t.value); break;
        case '[': t.kind = Token::Bracketed; i = readQuoted(sql, i, ']', t.value); break;
        case '"': t.kind = Token::DoubleQuoted; i = readQuoted(sql, i, '"', t.value); break;
        case '\'': t.kind = Token::String; i = readQuoted(sql, i, '\'', t.value); break;
        default:
            if (isWordChar(c)) {
                t.kind = Token::Word;
                while (i < sql.size() && isWordChar(sql[i])) ++i;
            } else {
                t.kind = Token::Punct;
                ++i;
            }
        }
        t.end = i;
        t.raw = sql.substr(t.begin, t.end - t.begin);
        if (t.kind == Token::Word || t.kind == Token::Punct) t.value = t.raw;
        out.push_back(std::move(t));
    }
    return out;
}

// "--" or "/*" outside quotes: Jet has no comments, and one could hide text from this check.
static bool isCommentStart(const std::vector<Token>& t, std::size_t i) {
    return i + 1 < t.size() && t[i + 1].begin == t[i].end &&
           ((t[i].isPunct('-') && t[i + 1].isPunct('-')) || (t[i].isPunct('/') && t[i + 1].isPunct('*')));
}

std::vector<Token> singleStatement(const std::string& sql) {
    auto tokens = tokenize(sql);
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (isCommentStart(tokens, i)) throw vts::Error("Comments are not accepted in statements: \"" + sql + "\"");
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].isPunct(';')) continue;
        if (i + 1 != tokens.size())
            throw vts::Error("Only one statement can be carried out at a time: \"" + sql + "\"");
        tokens.pop_back();
        break;
    }
    if (tokens.empty()) throw vts::Error("The statement is empty: \"" + sql + "\"");
    return tokens;
}

}  // namespace db
