// Recognises "INSERT INTO `name` VALUES(<literals>)" whose literals SQLite would read exactly as
// bound values: quoted texts, X'..' blobs, NULL and short whole numbers.
#include "platform/db/simple_insert.h"

namespace db {

namespace {

constexpr std::string_view kHead = "INSERT INTO `";
constexpr std::string_view kValues = "` VALUES(";
// 18 digits always fit in 64 bits; SQLite reads longer ones as reals.
constexpr std::size_t kMaxDigits = 18;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isDelimiter(char c) { return c == ' ' || c == ',' || c == ')'; }

class Scanner {
public:
    explicit Scanner(std::string_view sql) : s_(sql) {}
    std::size_t pos = 0;

    bool atEnd() const { return pos >= s_.size(); }
    char peek(std::size_t ahead = 0) const { return pos + ahead < s_.size() ? s_[pos + ahead] : '\0'; }
    void skipBlanks() {
        while (peek() == ' ') ++pos;
    }
    bool take(std::string_view word) {
        if (s_.substr(pos, word.size()) != word) return false;
        pos += word.size();
        return true;
    }
    // Up to the closing backquote of a name; `` stands for one.
    bool name() {
        const std::size_t start = pos;
        for (; !atEnd(); ++pos) {
            if (s_[pos] != '`') continue;
            if (peek(1) != '`') return pos > start;
            ++pos;
        }
        return false;
    }
    bool literal(SimpleLiteral& out);

private:
    bool quoted(SimpleLiteral& out);
    bool blob(SimpleLiteral& out);
    bool null(SimpleLiteral& out);
    bool integer(SimpleLiteral& out);
    std::string_view s_;
};

bool Scanner::literal(SimpleLiteral& out) {
    out = SimpleLiteral{};
    const char c = peek();
    if (c == '\'') return quoted(out);
    if ((c == 'X' || c == 'x') && peek(1) == '\'') return blob(out);
    if (c == 'N' || c == 'n') return null(out);
    if (c == '-' || isDigit(c)) return integer(out);
    return false;
}

bool Scanner::quoted(SimpleLiteral& out) {
    const std::size_t start = ++pos;
    for (; !atEnd(); ++pos) {
        if (s_[pos] != '\'') continue;
        if (peek(1) != '\'') {
            out.kind = SimpleLiteral::Text;
            out.body = s_.substr(start, pos - start);
            ++pos;
            return true;
        }
        out.doubledQuote = true;
        ++pos;
    }
    return false;
}

bool Scanner::blob(SimpleLiteral& out) {
    pos += 2;
    const std::size_t start = pos;
    while (isHex(peek())) ++pos;
    if (peek() != '\'' || (pos - start) % 2 != 0) return false;
    out.kind = SimpleLiteral::Blob;
    out.body = s_.substr(start, pos - start);
    ++pos;
    return true;
}

bool Scanner::null(SimpleLiteral& out) {
    static constexpr std::string_view kNull = "NULL";
    for (char expected : kNull) {
        const char c = peek();
        if (c != expected && c != expected - 'A' + 'a') return false;
        ++pos;
    }
    out.kind = SimpleLiteral::Null;
    return isDelimiter(peek());
}

bool Scanner::integer(SimpleLiteral& out) {
    const bool negative = peek() == '-';
    if (negative) ++pos;
    const std::size_t start = pos;
    std::int64_t value = 0;
    while (isDigit(peek())) value = value * 10 + (s_[pos++] - '0');
    const std::size_t digits = pos - start;
    if (digits == 0 || digits > kMaxDigits || !isDelimiter(peek())) return false;
    out.kind = SimpleLiteral::Integer;
    out.integer = negative ? -value : value;
    return true;
}

}  // namespace

bool parseSimpleInsert(std::string_view sql, SimpleInsert& out) {
    out.literals.clear();
    if (sql.find('\0') != std::string_view::npos) return false;  // SQLite's text would end there
    Scanner scan(sql);
    if (!scan.take(kHead) || !scan.name() || !scan.take(kValues)) return false;
    out.shape.assign(sql.substr(0, scan.pos));
    for (;;) {
        scan.skipBlanks();
        if (!scan.literal(out.literals.emplace_back())) return false;
        scan.skipBlanks();
        if (scan.take(")")) break;
        if (!scan.take(",")) return false;
        out.shape += "?,";
    }
    out.shape += "?)";
    return scan.atEnd();
}

void unescapeText(const SimpleLiteral& literal, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < literal.body.size(); ++i) {
        out += literal.body[i];
        if (literal.body[i] == '\'') ++i;  // the second of a doubled pair
    }
}

}  // namespace db
