// Letter case of table and file names. Names are UTF-8 on this system; a table listed under its
// upper-case name must be found again by that name, so listing and lookup share one mapping
// (simple one-to-one case mapping: "bäume" lists as "BÄUME", "ß" stays "ß").
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace pdx {

// Every letter upper-cased; bytes that are not valid UTF-8 stay as they are (ASCII letters
// among them are upper-cased).
std::string upperName(std::string_view utf8);

// Names compared without regard to letter case, by the mapping of upperName.
bool equalsNoCase(std::string_view a, std::string_view b);

// The one character `utf8` holds, or nothing when it holds another count or is not valid UTF-8.
std::optional<char32_t> singleCharacter(std::string_view utf8);
// The character in UTF-8.
std::string utf8Of(char32_t c);

// The characters of UTF-8 text; a byte that is not valid UTF-8 counts as the character of its value.
std::u32string charactersOf(std::string_view utf8);
std::string utf8Of(std::u32string_view characters);
// Unicode letter classes and simple case mapping, as upperName uses them.
bool isLetter(char32_t c);
char32_t upperCharacter(char32_t c);
char32_t lowerCharacter(char32_t c);

}  // namespace pdx
