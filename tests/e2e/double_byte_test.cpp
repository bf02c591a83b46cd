// Runs under LC_ALL=ja_JP.UTF-8: the ANSI code page is 932 and the UTF-8
// names on disk reach the program in Shift-JIS.
#include <gtest/gtest.h>

#include <string>

#include "dustrel_process.h"
#include "scratch.h"

namespace {

const std::string hyou = "\x95\x5c";  // "表": its trail byte is 0x5C

TEST(DoubleByte, RunsInCodePage932)
{
    ASSERT_EQ(GetACP(), 932u);
}

TEST(DoubleByte, QualifyingFolderWithTrailBackslashIsEnteredAndEmptied)
{
    std::string top = scratchFolder();
    std::string folder = top + "\\~" + hyou;
    makeFolder(folder);
    makeFolder(folder + "\\" + hyou);
    makeFile(folder + "\\" + hyou + "\\a");
    makeFile(folder + "\\b");

    DustrelRun run = runDustrel("/y /p:" + top);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(exists(folder));
    EXPECT_NE(run.output.find("\r\nDeleting  " + folder + "\\" + hyou + "\\a"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\r\nRemoving  " + folder + "\\"), std::string::npos) << run.output;
}

TEST(DoubleByte, TargetEndingInTrailBackslashKeepsItsLastCharacter)
{
    std::string top = scratchFolder();
    makeFolder(top + "\\" + hyou);
    makeFile(top + "\\" + hyou + "\\c.tmp");
    makeFile(top + "\\d.tmp");

    DustrelRun run = runDustrel("/y /p:" + top + "\\" + hyou);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(exists(top + "\\" + hyou + "\\c.tmp"));
    EXPECT_TRUE(exists(top + "\\d.tmp")) << "the parent folder must not be swept";
}

} // namespace
