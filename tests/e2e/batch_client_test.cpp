// dustrel.exe called from a batch file by Wine's own cmd.exe, the way a
// user's script calls it: the script sees the run's result in ERRORLEVEL.
#include <gtest/gtest.h>

#include <string>

#include "dustrel_process.h"
#include "scratch.h"

namespace {

// The script (tests/e2e/clean_folder.bat, with CR LF line ends) lies in
// B:\tests and finds dustrel.exe in B:\ through the PATH.
DustrelRun runScript(const std::string& arguments)
{
    static bool pathSet = false;
    if (!pathSet) {
        char path[32767];
        DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
        std::string withExe = "B:\\;" + std::string(path, length < sizeof path ? length : 0);
        SetEnvironmentVariableA("PATH", withExe.c_str());
        pathSet = true;
    }
    return runCommandLine("C:\\windows\\system32\\cmd.exe /c B:\\tests\\clean_folder.bat " + arguments);
}

TEST(BatchClient, ErrorlevelCarriesTheExitCode)
{
    struct {
        const char* name;
        bool holdFileOpen;
        bool askUsage;
        DWORD expectedCode;
        const char* expectedLastLine;
    } cases[] = {
        {"clean run", false, false, 0, "cleaned\r\n"},
        {"file held open", true, false, ERROR_SHARING_VIOLATION, "failed with 32\r\n"},
        {"usage screen", false, true, 1, "failed with 1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A fresh folder for each case, with a blank that the script passes on in quotes.
        std::string folder = scratchFolder() + "\\build output";
        makeFolder(folder);
        makeFile(folder + "\\held.tmp");
        makeFile(folder + "\\~other");
        makeFile(folder + "\\keep.txt");
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.holdFileOpen) {
            held = CreateFileA((folder + "\\held.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE) << GetLastError();
        }

        DustrelRun run = runScript(c.askUsage ? "/?" : "\"/p:" + folder + "\"");
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        EXPECT_EQ(run.exitCode, c.expectedCode);
        std::string last = c.expectedLastLine;
        if (c.askUsage) {
            ASSERT_GE(run.output.size(), last.size());
            EXPECT_NE(run.output.find("Syntax: dustrel"), std::string::npos) << run.output;
            EXPECT_EQ(run.output.substr(run.output.size() - last.size()), last) << run.output;
        } else {
            // /q: the script's own line is all there is.
            EXPECT_EQ(run.output, last);
        }
        EXPECT_EQ(exists(folder + "\\held.tmp"), c.holdFileOpen || c.askUsage);
        EXPECT_EQ(exists(folder + "\\~other"), c.askUsage);
        EXPECT_TRUE(exists(folder + "\\keep.txt"));
    }
}

}  // namespace
