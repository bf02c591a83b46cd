// Splitting the command line into words, and reading the words as options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ansi_text.h"
#include "common/run_records.h"
#include "main/arguments.h"
#include "main/command_line.h"

namespace {

using Words = std::vector<std::string>;

TEST(CommandLine, SplitsByTheDocumentedRules)
{
    setAnsiCodePage(932);
    struct {
        std::string commandLine;
        Words words;
    } cases[] = {
        {"", {""}},
        {"x.exe  /y\t/q ", {"x.exe", "/y", "/q"}},
        {"\"C:\\A B\\x.exe\"/y", {"C:\\A B\\x.exe", "/y"}},
        {"C:\\x\\\"a b\" c", {"C:\\x\\\"a", "b c"}},
        {"x \"a\"\"b\" \"\" \"c d", {"x", "ab", "", "c d"}},
        {"x \"/p:C:\\A B\\\" \"/p:C:\\A B\\\\\"", {"x", "/p:C:\\A B\" /p:C:\\A", "B\\"}},
        {"x a\\\\b a\\\\\\\"b a\\\\\\\\\"b c\"", {"x", "a\\\\b", "a\\\"b", "a\\\\b c"}},
        {"x \"/p:\x95\x5c\" /y", {"x", "/p:\x95\x5c", "/y"}},  // a trail byte 0x5C escapes nothing
    };
    for (const auto& c : cases) {
        char storage[64];
        char* words[8];
        int count = splitCommandLine(c.commandLine.c_str(), storage, sizeof storage, words, 8);
        EXPECT_EQ(Words(words, words + count), c.words) << c.commandLine;
    }
    char storage[9] = "--------";
    char* words[3];
    EXPECT_EQ(splitCommandLine("x abcdefghij klm n o p", storage, 8, words, 3), 2);
    EXPECT_EQ(storage[8], '\0') << "what does not fit is dropped, never written past the storage";
}

TEST(CommandLine, ReadsOptionsInEitherFormAndCase)
{
    auto read = [](Words arguments) {
        resetRunRecords();
        arguments.insert(arguments.begin(), "x");
        std::vector<char*> words;
        for (std::string& argument : arguments)
            words.push_back(&argument[0]);
        return readArguments(int(words.size()), words.data());
    };
    read({"-Y", "/o", "-A", "/Q", "-DuskHawk", "/P:C:\\a", "-p:D:\\b"});
    EXPECT_TRUE(!runOptions.confirm && runOptions.oldOnly && runOptions.allFiles && runOptions.quiet &&
                runOptions.diagnostic && !runOptions.applyChanges);
    EXPECT_STREQ(targetFolder, "D:\\b") << "the last folder counts";
    for (const char* other : {"/yes", "y", "/p", "/duskhawk", "\\DuskHawk", "//y", "/??"}) {
        EXPECT_EQ(read({other}), argumentsRead);
        EXPECT_TRUE(runOptions.confirm && runOptions.applyChanges && targetFolder[0] == '\0') << other;
    }
    EXPECT_EQ(read({"/y", "-?", "/q"}), argumentsAskUsage);
    read({"/p:C:\\a", "/p:"});
    EXPECT_STREQ(targetFolder, "") << "an empty /p: means TEMP again";
    read({"/p:" + std::string(261, 'a')});
    EXPECT_TRUE(targetFolderTooLong());
    read({"/p:" + std::string(261, 'a'), "/p:C:\\x"});
    EXPECT_FALSE(targetFolderTooLong());
}

} // namespace
