// The sweep on real folder trees under Wine.
#include <gtest/gtest.h>

#include <string>

#include "dustrel_process.h"
#include "scratch.h"

namespace {

TEST(Sweep, CleansANestedTreeAndReportsEveryStep)
{
    std::string top = scratchFolder();
    makeFolder(top + "\\~d");
    makeFolder(top + "\\~d\\sub");
    makeFolder(top + "\\keep");
    makeFile(top + "\\a.tmp");
    makeFile(top + "\\keep.txt");
    makeFile(top + "\\~d\\x.txt");
    makeFile(top + "\\~d\\sub\\y");
    makeFile(top + "\\keep\\z.tmp");

    DustrelRun run = runDustrel("/y /p:" + top);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(exists(top + "\\a.tmp"));
    EXPECT_FALSE(exists(top + "\\~d"));
    EXPECT_TRUE(exists(top + "\\keep.txt"));
    EXPECT_TRUE(exists(top + "\\keep\\z.tmp"));
    for (const std::string& line : {"\r\nCleaning  " + top + "\\", "\r\nDeleting  " + top + "\\a.tmp",
                                    "\r\nSkipping  " + top + "\\keep\\", "\r\nSkipping  " + top + "\\keep.txt",
                                    "\r\nScanning  " + top + "\\~d\\", "\r\nScanning  " + top + "\\~d\\sub\\",
                                    "\r\nDeleting  " + top + "\\~d\\sub\\y", "\r\nRemoving  " + top + "\\~d\\sub\\",
                                    "\r\nDeleting  " + top + "\\~d\\x.txt", "\r\nRemoving  " + top + "\\~d\\"})
        EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
}

} // namespace
