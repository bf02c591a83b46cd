#include <gtest/gtest.h>

#include <string>

#include "common/ansi_text.h"
#include "common/run_records.h"

namespace {

TEST(AnsiTextCompare, FoldsAsciiLettersOnly)
{
    setAnsiCodePage(1252);
    EXPECT_TRUE(equalsNoCase("C:\\WINDOWS\\", "c:\\windows\\"));
    EXPECT_FALSE(equalsNoCase("\xC4", "\xE4")) << "A with diaeresis is not folded";
    EXPECT_FALSE(equalsNoCase("abc", "ab"));
    EXPECT_TRUE(beginsWithNoCase("MSE0a", "mse0"));
    EXPECT_FALSE(beginsWithNoCase("ms", "mse0")) << "a shorter text never matches";
}

TEST(AnsiTextCompare, DoubleByteCharactersCompareWhole)
{
    setAnsiCodePage(932);
    EXPECT_TRUE(equalsNoCase("\x82\x60", "\x82\x81")) << "full-width A and a are a case pair";
    EXPECT_FALSE(equalsNoCase("\x95\x5c", "\x95\x5d"));
    EXPECT_FALSE(beginsWithNoCase("\x81\x60", "~"));
    const char* path = "a\\\x95\x5c";
    EXPECT_EQ(findLastChar(path, '\\'), path + 1) << "the trail byte 0x5C is not a backslash";
    setAnsiCodePage(1252);
}

TEST(TextBuilderTest, CutsAtCharacterBoundaryAndNeverOverruns)
{
    setAnsiCodePage(932);
    char buffer[6];
    buffer[5] = 'X';
    TextBuilder text;
    startText(&text, buffer, 5);
    appendText(&text, "ab\x95\x5c\x95\x5c");
    EXPECT_STREQ(buffer, "ab\x95\x5c") << "the second double-byte character does not fit whole";
    EXPECT_EQ(buffer[5], 'X');
    setAnsiCodePage(1252);
}

TEST(TextBuilderTest, NumbersAreSignedDecimal)
{
    struct {
        DWORD value;
        const char* text;
    } cases[] = {{0, "0"}, {5, "5"}, {206, "206"}, {2147483647u, "2147483647"},
                 {2147483648u, "-2147483648"}, {0xFFFFFFFFu, "-1"}, {0x80070005u, "-2147024891"}};
    for (const auto& c : cases) {
        char buffer[MESSAGE_BUFFER];
        TextBuilder text;
        startText(&text, buffer, sizeof buffer);
        appendNumber(&text, c.value);
        EXPECT_STREQ(buffer, c.text);
    }
}

} // namespace
