#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_records.h"
#include "main/arguments.h"

namespace {

struct Read {
    ArgumentsOutcome outcome;
    RunOptions options;
    std::string target;
    bool tooLong;
};

Read read(std::vector<std::string> arguments)
{
    resetRunRecords();
    arguments.insert(arguments.begin(), "dustrel.exe");
    std::vector<char*> words;
    for (std::string& argument : arguments)
        words.push_back(&argument[0]);
    ArgumentsOutcome outcome = readArguments(static_cast<int>(words.size()), words.data());
    return Read{outcome, runOptions, targetFolder, targetFolderTooLong()};
}

TEST(ArgumentsTest, OptionsInEitherFormAndCase)
{
    for (const char* y : {"/y", "/Y", "-y", "-Y"})
        EXPECT_FALSE(read({y}).options.confirm) << y;
    Read all = read({"-O", "/a", "/Q"});
    EXPECT_TRUE(all.options.oldOnly);
    EXPECT_TRUE(all.options.allFiles);
    EXPECT_TRUE(all.options.quiet);
    EXPECT_TRUE(all.options.confirm);
    EXPECT_TRUE(all.options.applyChanges);
}

TEST(ArgumentsTest, UnrecognisedArgumentsChangeNothing)
{
    for (const char* other : {"/yes", "/y ", "y", "/p", "/dh", "/duskhawk", "-DUSKHAWK", "\\DuskHawk", "/DuskHawks", "//y", ""}) {
        Read r = read({other});
        EXPECT_EQ(r.outcome, argumentsRead) << other;
        EXPECT_TRUE(r.options.confirm && !r.options.quiet && !r.options.diagnostic && r.options.applyChanges &&
                    !r.options.allFiles && !r.options.oldOnly && r.target.empty())
            << other;
    }
}

TEST(ArgumentsTest, DiagnosticSwitchIsExactAndMakesADryRun)
{
    for (const char* on : {"/DuskHawk", "-DuskHawk"}) {
        Read r = read({on});
        EXPECT_TRUE(r.options.diagnostic) << on;
        EXPECT_FALSE(r.options.applyChanges) << on;
    }
}

TEST(ArgumentsTest, UsageWinsWhereverItStands)
{
    EXPECT_EQ(read({"/y", "/?"}).outcome, argumentsAskUsage);
    EXPECT_EQ(read({"-?", "/y"}).outcome, argumentsAskUsage);
    EXPECT_EQ(read({"/q", "/?"}).outcome, argumentsAskUsage);
    EXPECT_EQ(read({"/??"}).outcome, argumentsRead);
}

TEST(ArgumentsTest, LastFolderCounts)
{
    struct {
        std::vector<std::string> arguments;
        const char* target;
    } cases[] = {
        {{"/p:C:\\a"}, "C:\\a"},
        {{"-P:C:\\a", "/p:D:\\b"}, "D:\\b"},
        {{"/p:C:\\a", "/p:"}, ""},
        {{"/p:", "C:\\a"}, ""},
        {{"/P: spaced "}, " spaced "},
        {{"/p:rel\\dir"}, "rel\\dir"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(c.arguments).target, c.target);
}

TEST(ArgumentsTest, FolderTooLongIsFlaggedNotCut)
{
    std::string fits = "/p:" + std::string(260, 'a');
    std::string tooLong = "/p:" + std::string(261, 'a');
    EXPECT_FALSE(read({fits}).tooLong);
    EXPECT_EQ(read({fits}).target.size(), 260u);
    Read r = read({tooLong});
    EXPECT_TRUE(r.tooLong);
    EXPECT_TRUE(r.target.empty());
    EXPECT_FALSE(read({tooLong, "/p:C:\\x"}).tooLong) << "a later folder replaces it";
}

} // namespace
