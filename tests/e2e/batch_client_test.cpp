// A user's batch file, run by Wine's own cmd.exe, calls dustrel.exe from the
// PATH and acts on ERRORLEVEL.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

TEST(BatchClient, ErrorlevelCarriesTheExitCode)
{
    char path[32767];
    GetEnvironmentVariableA("PATH", path, sizeof path);
    SetEnvironmentVariableA("PATH", ("B:\\;" + std::string(path)).c_str());
    struct {
        bool holdFileOpen;
        const char* arguments;
        DWORD code;
        const char* lastLine;
    } cases[] = {{false, "\"/p:@\"", 0, "cleaned\r\n"},
                 {true, "\"/p:@\"", ERROR_SHARING_VIOLATION, "failed with 32\r\n"},
                 {false, "/?", 1, "failed with 1\r\n"}};
    for (const auto& c : cases) {
        std::string folder = scratchFolder() + "\\build output";  // a blank the script passes on in quotes
        makeFolder(folder);
        makeFile(folder + "\\held.tmp");
        HANDLE held = c.holdFileOpen ? CreateFileA((folder + "\\held.tmp").c_str(), GENERIC_READ, 0, nullptr,
                                                   OPEN_EXISTING, 0, nullptr)
                                     : INVALID_HANDLE_VALUE;
        std::string arguments = c.arguments;
        if (arguments.find('@') != std::string::npos)
            arguments.replace(arguments.find('@'), 1, folder);
        DustrelRun run = runCommandLine("C:\\windows\\system32\\cmd.exe /c B:\\tests\\clean_folder.bat " + arguments);
        CloseHandle(held);
        EXPECT_EQ(run.exitCode, c.code) << arguments;
        EXPECT_GE(run.output.size(), std::string(c.lastLine).size());
        EXPECT_EQ(run.output.substr(run.output.size() - std::string(c.lastLine).size()), c.lastLine) << run.output;
        EXPECT_EQ(exists(folder + "\\held.tmp"), c.holdFileOpen || c.code == 1);
    }
}

} // namespace
