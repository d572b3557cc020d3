// Code-page conversion: single-byte tables, multibyte pages, undefined bytes, refusals.
#include <gtest/gtest.h>

#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/types.h"

using pdx::CodePage;

TEST(CodePage, NamesFollowTheHeader) {
    EXPECT_EQ(pdx::iconvNameFor(1252, "DBWINUS0"), "CP1252");
    EXPECT_EQ(pdx::iconvNameFor(437, "ascii"), "CP437");
    EXPECT_EQ(pdx::iconvNameFor(936, "china"), "CP936");
    EXPECT_EQ(pdx::iconvNameFor(0, "BLROM800"), "HP-ROMAN8");
    EXPECT_EQ(pdx::iconvNameFor(0, ""), "CP437");
}

TEST(CodePage, DecodesSingleBytePages) {
    CodePage cp1252(1252);
    EXPECT_EQ(cp1252.decode("San Jos\xE9"), "San Jos\xC3\xA9");
    EXPECT_EQ(cp1252.decode("\x80"), "\xE2\x82\xAC");  // euro sign
    CodePage roman8(0, "BLROM800");
    EXPECT_EQ(roman8.decode("\xEB\xF8\xBE\xF4"), "\xC5\xA0\xC2\xBD\xC6\x92\xC2\xB6");  // Š½ƒ¶
    CodePage cp437(437);
    EXPECT_EQ(cp437.decode("\x81\xE1"), "\xC3\xBC\xC3\x9F");  // üß
    EXPECT_EQ(cp437.decode("plain ascii"), "plain ascii");
}

// An undefined byte survives the round trip as itself; nothing else can pose as it.
TEST(CodePage, UndefinedBytesBecomeByteMarksThatEncodeBackToThem) {
    CodePage cp1252(1252);
    EXPECT_EQ(cp1252.decode("a\x81z"), "a\xEF\x9E\x81z");  // U+F781
    EXPECT_EQ(cp1252.encode(cp1252.decode("\x81\x80\x8D\x8Fx\x90\x9D")), "\x81\x80\x8D\x8Fx\x90\x9D");
    CodePage roman8(0, "BLROM800");
    EXPECT_EQ(roman8.decode("\xFF"), "\xEF\x9F\xBF");  // U+F7FF
    EXPECT_EQ(roman8.encode("\xEF\x9F\xBF"), "\xFF");
    // The mark of a defined byte (U+F741 for 'A'), and U+FFFD, are refused, not guessed.
    EXPECT_THROW(cp1252.encode("\xEF\x9D\x81"), pdx::Error);
    EXPECT_THROW(cp1252.encode("a\xEF\xBF\xBDz"), pdx::Error);
}

TEST(CodePage, DecodesMultibytePages) {
    CodePage gbk(936, "china");
    EXPECT_EQ(gbk.decode("\xD6\xD0\xCE\xC4 ok"), "\xE4\xB8\xAD\xE6\x96\x87 ok");  // 中文
    EXPECT_EQ(gbk.decode("x\xD6"), "x\xEF\xBF\xBD");                              // cut-off sequence
    EXPECT_EQ(gbk.encode("\xE4\xB8\xAD\xE6\x96\x87"), "\xD6\xD0\xCE\xC4");
}

TEST(CodePage, EncodeRefusesWhatThePageLacks) {
    CodePage cp437(437);
    EXPECT_EQ(cp437.encode("\xC3\xBC"), "\x81");
    try {
        cp437.encode("price \xE2\x82\xAC");  // no euro sign in 437
        FAIL();
    } catch (const pdx::Error& e) {
        EXPECT_NE(std::string(e.what()).find("U+20AC"), std::string::npos) << e.what();
    }
    EXPECT_THROW(cp437.encode("bad \xC3"), pdx::Error);  // invalid UTF-8
    CodePage cp1252(1252);
    EXPECT_THROW(cp1252.encode("\xE4\xB8\xAD"), pdx::Error);
}

TEST(CodePage, UnknownPageHandlesAsciiOnly) {
    CodePage kamenicky(867);
    EXPECT_EQ(kamenicky.decode("ABC"), "ABC");
    EXPECT_EQ(kamenicky.encode("ABC"), "ABC");
    EXPECT_THROW(kamenicky.decode("\x80"), pdx::Error);
    EXPECT_THROW(kamenicky.encode("\xC3\xA9"), pdx::Error);
}
