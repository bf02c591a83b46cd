// The run from end to end: exact command lines, exact bytes on standard
// output, exit codes.
#include <gtest/gtest.h>

#include <string>

#include "dustrel_process.h"
#include "scratch.h"

namespace {

std::string usageScreen(const std::string& programName)
{
    return crlf(
        "\n\nDustrel version 1.20\n\n"
        "\n Cleans temporary files out of the %TEMP% directory.\n"
        "\n Temporary files include the following patterns:"
        "\n (*.tmp;  ~*.*;  _*.*;  gl*.exe;  mse0*.*;  *.~*;  *._*)\n\n"
        "\n Syntax: " + programName + " [/Y] [/O] [/A] [/P:folder] [/Q]\n"
        "\n /Y suppresses the 'Are you sure?' prompt."
        "\n /O deletes only old files. Any files that have been created, modified or "
        "\n    accessed on the same day will be skipped."
        "\n /A deletes all files, not just temporary files (Use caution!)."
        "\n /P allows you to clean out a folder other than %TEMP%."
        "\n    (When used with /A the root, %WINDIR% and System folders are not allowed.)"
        "\n /Q suppresses all output, including errors.\n"
        "\n /? or -? displays this syntax and always returns 1."
        "\n  A successful completion returns 0.\n\n"
        "\n Dustrel is made and maintained by the Dustrel developers; it comes with no warranty.\n");
}

std::string finalReport(DWORD code)
{
    return crlf("\n\n" + systemText(code) + "\n");
}

TEST(UsageScreen, ShownByteForByteWithExitCode1)
{
    struct {
        std::string commandLine;
        std::string programName;
    } cases[] = {
        {"B:\\dustrel.exe /?", "dustrel.exe"},
        {"B:\\dustrel.exe /y -?", "dustrel.exe"},
        {"B:\\dustrel.exe /q /?", "dustrel.exe"},
        {"B:\\dustrel.exe -? /y", "dustrel.exe"},
        {"\"B:\\dustrel.exe\" /?", "dustrel.exe"},
        {"B:/dustrel.exe /?", "B:/dustrel.exe"},
        {"\"B:\\dustrel.exe\" /DuskHawk /p:T:\\nowhere /?", "dustrel.exe"},
    };
    for (const auto& c : cases) {
        DustrelRun run = runCommandLine(c.commandLine);
        EXPECT_EQ(run.exitCode, 1u) << c.commandLine;
        EXPECT_EQ(run.output, usageScreen(c.programName)) << c.commandLine;
    }
}

TEST(UsageScreen, ProgramPathEndingInBackslashLeavesTwoBlanks)
{
    // CreateProcess with an explicit program, so the first word may be anything.
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    DustrelRun run = runCommandLine("\"B:\\dustrel.exe\" /?");
    ASSERT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find("Syntax: dustrel.exe [/Y]"), std::string::npos);
}

TEST(RunReport, MissingFolderEndsWithItsCode)
{
    std::string folder = scratchFolder() + "\\missing";
    DustrelRun run = runDustrel("/y /p:" + folder);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(run.output, crlf("\nCleaning  " + folder + "\\") + finalReport(ERROR_PATH_NOT_FOUND));
}

TEST(RunReport, QuietRunPrintsNothingAndKeepsTheCode)
{
    std::string folder = scratchFolder() + "\\missing";
    DustrelRun run = runDustrel("/y /q /p:" + folder);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(run.output, "");
}

TEST(RunReport, FolderPathTooLongIsRefusedBeforeAnything)
{
    std::string folder = scratchFolder();
    makeFile(folder + "\\a.tmp");
    std::string tooLong = folder + "\\" + std::string(261 - folder.size(), 'x');
    DustrelRun run = runDustrel("/p:" + tooLong);  // no /y: a box would hang the test
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(run.output, crlf("\nThe folder path is too long.\n\n" + systemText(ERROR_FILENAME_EXCED_RANGE)));
    EXPECT_TRUE(exists(folder + "\\a.tmp"));
}

} // namespace
