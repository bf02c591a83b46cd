#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ansi_text.h"
#include "main/command_line.h"

namespace {

std::vector<std::string> split(const char* commandLine)
{
    char storage[512];
    char* words[32];
    int count = splitCommandLine(commandLine, storage, sizeof storage, words, 32);
    return std::vector<std::string>(words, words + count);
}

using Words = std::vector<std::string>;

struct SplitCase {
    const char* commandLine;
    Words words;
};

class CommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineTest, SplitsByTheDocumentedRules)
{
    setAnsiCodePage(1252);
    EXPECT_EQ(split(GetParam().commandLine), GetParam().words) << GetParam().commandLine;
}

INSTANTIATE_TEST_SUITE_P(Rules, CommandLineTest, testing::Values(
    SplitCase{"x.exe", {"x.exe"}},
    SplitCase{"", {""}},
    SplitCase{"x.exe  /y\t/q ", {"x.exe", "/y", "/q"}},
    SplitCase{"\"C:\\Program Files\\x.exe\" /y", {"C:\\Program Files\\x.exe", "/y"}},
    // The program path ends at its closing quote; what follows starts a word.
    SplitCase{"\"x.exe\"/y", {"x.exe", "/y"}},
    // Backslashes in the program path are all literal.
    SplitCase{"C:\\x\\\"a b\" c", {"C:\\x\\\"a", "b c"}},
    SplitCase{"x \"a\"\"b\"", {"x", "ab"}},
    SplitCase{"x \"/p:C:\\Program Files\\\"", {"x", "/p:C:\\Program Files\""}},
    SplitCase{"x \"/p:C:\\Program Files\\\\\"", {"x", "/p:C:\\Program Files\\"}},
    SplitCase{"x a\\\\b", {"x", "a\\\\b"}},
    SplitCase{"x a\\\\\\\"b", {"x", "a\\\"b"}},
    SplitCase{"x a\\\\\\\\\"b c\"", {"x", "a\\\\b c"}},
    SplitCase{"x \"\" y", {"x", "", "y"}},
    SplitCase{"x \"a b", {"x", "a b"}}));

TEST(CommandLineDoubleByte, TrailBackslashDoesNotEscapeQuote)
{
    setAnsiCodePage(932);
    EXPECT_EQ(split("x \"/p:\x95\x5c\" /y"), (Words{"x", "/p:\x95\x5c", "/y"}));
    setAnsiCodePage(1252);
}

TEST(CommandLineLimits, NeverWritesPastStorage)
{
    setAnsiCodePage(1252);
    char storage[8];
    storage[7] = 'X';
    char* words[4];
    int count = splitCommandLine("x abcdefghij klm n o p", storage, 7, words, 4);
    EXPECT_LE(count, 4);
    EXPECT_EQ(storage[7], 'X');
    for (int i = 0; i < count; ++i)
        EXPECT_LT(words[i], storage + 7);
}

} // namespace
