// Which folder names the scan treats as unusual.
#include <gtest/gtest.h>

#include "fsutil/unusual_chars.h"
#include "platform/shell/utf8_text.h"

namespace vts {
namespace {

TEST(HasUnusualCharacters, PlainAndForeignLettersAreUsual) {
    for (const char* name : {"Data", "tables 2021", ".hidden", "caf\xC3\xA9", "\xD0\x94\xD0\xB1", "\xE2\x82\xAC",
                             "\xF0\x9F\x98\x80", "\xC2\xA0nbsp", "~$x"})
        EXPECT_FALSE(HasUnusualCharacters(name)) << name;
}

TEST(HasUnusualCharacters, EmptyTextIsUsual) { EXPECT_FALSE(HasUnusualCharacters("")); }

TEST(HasUnusualCharacters, ControlAndC1CharactersAndQuestionMark) {
    for (const char* name : {"a\x01", "\x1F", "tab\there", "del\x7F", "\xC2\x80", "x\xC2\x9F", "why?"})
        EXPECT_TRUE(HasUnusualCharacters(name)) << name;
}

TEST(HasUnusualCharacters, InvalidUtf8CannotBeRepresented) {
    for (const char* name : {"\xFF", "a\x80", "\xC3", "\xC0\xAF" /* overlong '/' */, "\xED\xA0\x80" /* surrogate */,
                             "\xF4\x90\x80\x80" /* > U+10FFFF */, "\xE2\x82"})
        EXPECT_TRUE(HasUnusualCharacters(name));
}

TEST(CharacterCount, CountsCodePointsNotBytes) {
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(characterCount("abc"), 3u);
    EXPECT_EQ(characterCount("caf\xC3\xA9"), 4u);
    EXPECT_EQ(characterCount("\xF0\x9F\x98\x80"), 1u);
}

}  // namespace
}  // namespace vts
