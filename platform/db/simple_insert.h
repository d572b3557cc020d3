// Recognises "INSERT INTO `name` VALUES(<literals>)" whose literals SQLite would read exactly as
// bound values: quoted texts, X'..' blobs, NULL and short whole numbers.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace db {

struct SimpleLiteral {
    enum Kind { Null, Text, Blob, Integer };
    Kind kind = Null;
    std::string_view body;  // Text: between the quotes, '' still doubled; Blob: the hex digits
    bool doubledQuote = false;  // Text: holds '' to be made single
    std::int64_t integer = 0;
};

struct SimpleInsert {
    std::string shape;  // the text with every literal replaced by ?
    std::vector<SimpleLiteral> literals;
};

// False when `sql` is not of that form or any part of it leaves doubt (another spelling,
// a real or hexadecimal number, a long number, a NUL byte, ...); `out` is then unspecified.
// `out`'s storage is reused from call to call; its views point into `sql`.
bool parseSimpleInsert(std::string_view sql, SimpleInsert& out);

// The literal's value: '' made single.
void unescapeText(const SimpleLiteral& literal, std::string& out);

}  // namespace db
