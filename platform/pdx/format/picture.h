// The picture of a field's validity check: a template typed values must fit. # a digit, ? a letter,
// & a letter in capitals, ~ a letter in small letters, @ any character, ! any character in
// capitals, ;x the character x itself, *n x the item x n times (* alone: any number of times),
// [x] x or nothing, {x,y} one of x and y; any other character stands for itself.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pdx {

class Picture {
public:
    // Throws pdx::Error when the picture is not well formed (an unclosed bracket, a stray one).
    explicit Picture(std::string_view utf8);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    const std::string& text() const { return text_; }
    // The longest text a picture is checked against (an Alpha field holds 255 characters).
    static constexpr std::size_t kLongestText = 255;

    // The text as the picture makes it: letters in capitals or small letters where it says so,
    // constants left out filled in (as typing "5551234" into "(408)###-####" gives
    // "(408)555-1234"); nothing when the text does not fit. Throws pdx::Error when the text fits
    // more than one way, is longer than kLongestText, or the picture is too intricate to settle.
    std::optional<std::string> fit(std::string_view utf8) const;

    struct Item;

private:
    std::string text_;
    std::unique_ptr<Item> root_;
};

}  // namespace pdx
