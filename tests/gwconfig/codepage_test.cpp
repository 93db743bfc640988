// The code page conversions of the POSIX build (iconv): exact both ways, refusing what
// the code page cannot hold, and reading bytes it leaves undefined as Windows does.
#include <gtest/gtest.h>

#include "platform/codepage.h"

TEST(CodePage, ConvertsExactlyAndRefusesWhatDoesNotFit) {
    std::string utf8, ansi;
    ASSERT_EQ(AnsiToUtf8(1252, "\x80 caf\xE9", &utf8), CODEPAGE_OK);
    EXPECT_EQ(utf8, "\xE2\x82\xAC caf\xC3\xA9");
    ASSERT_EQ(Utf8ToAnsi(1252, utf8, &ansi), CODEPAGE_OK);
    EXPECT_EQ(ansi, "\x80 caf\xE9");

    size_t offset = 0;
    EXPECT_EQ(Utf8ToAnsi(1252, "ab\xE4\xB8\xAD", &ansi, &offset), CODEPAGE_UNMAPPABLE);
    EXPECT_EQ(offset, 2u);
    EXPECT_EQ(Utf8ToAnsi(1252, "a\xC3", &ansi, &offset), CODEPAGE_BAD_UTF8);
    EXPECT_EQ(Utf8ToAnsi(1251, "\xD0\x96", &ansi), CODEPAGE_OK); // Cyrillic Zhe
    EXPECT_EQ(ansi, "\xC6");

    // Undefined bytes 80 to 9F read as the control characters of that number, as on
    // Windows, and go back; others become U+FFFD.
    bool replaced = true;
    ASSERT_EQ(AnsiToUtf8(1252, "a\x81z\x9D", &utf8, &replaced), CODEPAGE_OK);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(utf8, "a\xC2\x81z\xC2\x9D");
    ASSERT_EQ(Utf8ToAnsi(1252, utf8, &ansi), CODEPAGE_OK);
    EXPECT_EQ(ansi, "a\x81z\x9D");
    EXPECT_EQ(Utf8ToAnsi(1251, "\xC2\x81", &ansi), CODEPAGE_UNMAPPABLE); // 81 is defined there
    ASSERT_EQ(AnsiToUtf8(1253, "a\xAAz", &utf8, &replaced), CODEPAGE_OK);
    EXPECT_TRUE(replaced);
    EXPECT_EQ(utf8, "a\xEF\xBF\xBDz");
    EXPECT_EQ(AnsiToUtf8(4242, "x", &utf8), CODEPAGE_UNKNOWN);
}
