// Runs whose output is not a plain sweep: the usage screen, start-up
// failures, slips refused, the log, a full standard output, paths too long
// to act on, the confirmation box, and a user's batch file acting on the
// exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "common/version.h"
#include "harness.h"

namespace {

// The screen's fixed texts are the program's own; what is checked here is
// what the run makes of them: 29 lines with CR LF, the version, the program
// name as typed (folders cut off at the last backslash), past /Q.
TEST(Run, UsageScreenWithExitCode1)
{
    struct {
        const char* commandLine;
        const char* syntax;
    } cases[] = {
        {"B:\\dustrel.exe /y /?", "\r\n Syntax: dustrel.exe [/Y] [/O] [/D:n] [/A] [/P:folder] [/Q] [/L] [/LOG:file]\r\n\r\n /Y "},
        {"\"B:\\dustrel.exe\" /q -? /DuskHawk", "\r\n Syntax: dustrel.exe [/Y]"},
        {"B:/dustrel.exe /?", "\r\n Syntax: B:/dustrel.exe [/Y]"},
    };
    for (const auto& c : cases) {
        DustrelRun run = runCommandLine(c.commandLine);
        EXPECT_EQ(run.exitCode, 1u) << c.commandLine;
        EXPECT_EQ(run.output.rfind("\r\n\r\nDustrel version " DUSTREL_VERSION "\r\n\r\n\r\n Cleans temporary files", 0),
                  0u);
        EXPECT_NE(run.output.find(c.syntax), std::string::npos) << run.output;
        std::string lf = run.output;
        lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
        EXPECT_EQ(std::count(lf.begin(), lf.end(), '\n'), 29);
        EXPECT_EQ(run.output, crlf(lf)) << "every LF after a CR";
    }
}

TEST(Run, FolderThatCannotBeHeldIsAFailureNeverSuccess)
{
    std::string folder = scratchFolder();
    makeFile(folder + "\\a.tmp");
    DustrelRun run = runDustrel("/p:" + folder + "\\" + std::string(260 - folder.size(), 'x'));
    EXPECT_EQ(run.exitCode, DWORD(ERROR_FILENAME_EXCED_RANGE)) << "and no box: the run would wait on it";
    EXPECT_EQ(run.output, crlf("\nThe folder path is too long.\n\n" + systemText(ERROR_FILENAME_EXCED_RANGE)));
    EXPECT_TRUE(exists(folder + "\\a.tmp"));

    std::string tooLong = "C:\\" + std::string(300, 't');
    SetEnvironmentVariableA("TMP", tooLong.c_str());
    SetEnvironmentVariableA("TEMP", tooLong.c_str());
    run = runDustrel("/y");
    EXPECT_EQ(run.exitCode, DWORD(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(run.output,
              crlf("\nFailed to retrieve the path of the TEMP folder.\n\n" + systemText(ERROR_FILENAME_EXCED_RANGE)));
}

// A slip in /P or /LOG, or a log that cannot be opened, ends the run before
// anything is touched: without a /P the run would clean TEMP.
TEST(Run, SlipsAndLogsThatCannotBeOpenedTouchNothing)
{
    std::string folder = scratchFolder();
    makeFile(folder + "\\a.tmp");
    SetEnvironmentVariableA("TMP", folder.c_str());
    SetEnvironmentVariableA("TEMP", folder.c_str());
    const std::string missingLog = folder + "\\missing\\dustrel.log";
    auto slip = [](const std::string& named, const char* form) {
        return crlf("\nThe option \"" + named + "\" must be given as " + form + ".\n\n" + systemText(87));
    };
    struct {
        std::string arguments;
        DWORD code;
        std::string output;
    } cases[] = {
        {"/P " + folder, 87, slip("/P", "/P:folder")}, {"/P=" + folder, 87, slip("/P=" + folder, "/P:folder")},
        {"/P" + folder, 87, slip("/P" + folder, "/P:folder")}, {"/p:", 87, slip("/p:", "/P:folder")},
        {"\"/p:\"", 87, slip("/p:", "/P:folder")}, {"\"/p: \" /log:x /D:0", 87, slip("/p: ", "/P:folder")},
        {"/LOG " + missingLog, 87, slip("/LOG", "/LOG:file")}, {"/q /p=x", 87, ""},
        {"/log:" + missingLog, ERROR_PATH_NOT_FOUND,
         crlf("\nFailed to open the log file \"" + missingLog + "\".\n\n" + systemText(ERROR_PATH_NOT_FOUND))},
        {"-Q /log:" + missingLog, ERROR_PATH_NOT_FOUND, ""},
    };
    for (const auto& c : cases) {
        DustrelRun run = runDustrel("/y /a " + c.arguments);
        EXPECT_EQ(run.exitCode, c.code) << c.arguments;
        EXPECT_EQ(run.output, c.output) << c.arguments;
        EXPECT_TRUE(exists(folder + "\\a.tmp")) << c.arguments;
    }
    EXPECT_FALSE(exists(folder + "\\missing"));
}

// Two runs append to one log, the second under /Q: each record has its
// first line, every byte standard output got or would have got, the
// summary over all levels and the exit code. Standard output is as
// without the log.
TEST(Run, LogRecordsEachRunWithItsSummary)
{
    std::string folder = scratchFolder(), target = folder + "\\t", log = folder + "\\dustrel.log";
    makeFolder(target);
    makeFolder(target + "\\~d");
    for (const char* name : {"\\a.tmp", "\\keep.txt", "\\~d\\busy"})
        makeFile(target + name);
    HANDLE file = CreateFileA((target + "\\a.tmp").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "12345", 5, &written, nullptr);
    CloseHandle(file);
    HANDLE held = CreateFileA((target + "\\~d\\busy").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::string arguments = "/y /p:" + target + " /log:" + log;
    DustrelRun first = runDustrel(arguments);
    CloseHandle(held);
    DustrelRun second = runDustrel("/q  " + arguments);
    EXPECT_EQ(first.exitCode, 0u);
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(second.output, "");

    auto sortedLines = [](std::string text) {
        std::vector<std::string> lines;
        for (size_t end; (end = text.find("\r\n")) != std::string::npos; text.erase(0, end + 2))
            lines.push_back(text.substr(0, end));
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    const std::string ending = "\n\n" + systemText(0) + "\n";
    EXPECT_EQ(sortedLines(first.output),
              sortedLines(crlf("\nCleaning  " + target + "\\\nDeleting  " + target + "\\a.tmp\nSkipping  " + target +
                               "\\keep.txt\nScanning  " + target + "\\~d\\\nDeleting  " + target +
                               "\\~d\\busy ** Failed, error 32 **\nRemoving  " + target + "\\~d\\\nNotEmpty  " +
                               target + "\\~d\\" + ending)));

    std::string records;
    file = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char block[4096];
    for (DWORD got; ReadFile(file, block, sizeof block, &got, nullptr) && got > 0;)
        records.append(block, got);
    CloseHandle(file);
    records = std::regex_replace(records, std::regex("Dustrel " DUSTREL_VERSION ", 20\\d\\d-[01]\\d-[0-3]\\d "
                                                     "[0-2]\\d:[0-5]\\d:[0-5]\\d, [^\\\\\r\n]+\\\\[^:\r\n]+: "), "@");
    EXPECT_EQ(records.substr(0, records.find("@", 1)),
              "@" + arguments + first.output + "Summary: 1 file deleted, 0 folders removed, 1 skipped, 0 spared, "
              "1 failed (32), 5 bytes freed.\r\nExit code 0.\r\n");
    std::string secondRecord = records.substr(std::min(records.find("@", 1), records.size()));
    EXPECT_EQ(sortedLines(secondRecord),
              sortedLines("@/q  " + arguments + crlf("\nCleaning  " + target + "\\\nSkipping  " + target +
                                                     "\\keep.txt\nScanning  " + target + "\\~d\\\nDeleting  " + target +
                                                     "\\~d\\busy\nRemoving  " + target + "\\~d\\" + ending +
                                                     "Summary: 1 file deleted, 1 folder removed, 1 skipped, 0 spared, "
                                                     "0 failed, 0 bytes freed.\nExit code 0.\n")))
        << records;
}

TEST(Run, FullStandardOutputChangesNothingElse)
{
    std::string folder = scratchFolder();
    for (int i = 0; i < 40; ++i)
        makeFile(folder + "\\~a-file-with-a-name-long-enough-" + std::to_string(i));
    HANDLE full = CreateFileA("\\\\?\\unix\\dev\\full", GENERIC_WRITE, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(runCommandLine("B:\\dustrel.exe /y /p:" + folder, "", full).exitCode, 0u);
    CloseHandle(full);
    EXPECT_FALSE(exists(folder + "\\~a-file-with-a-name-long-enough-39"));
}

// Below the target a protected folder is refused where it is met; its code
// is dropped and the walk goes on. B:\wineprefix holds drive_c, which is C:\.
TEST(Run, ProtectedFolderBelowTheTargetIsRefusedThere)
{
    DustrelRun run = runDustrel("/y /a /DuskHawk /p:B:\\wineprefix");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.output.find(crlf("\nScanning  B:\\wineprefix\\drive_c\\\n\nCurrentFolder: [B:\\wineprefix\\drive_c\\]"
                                   "   [22]\n\nDeleting all files from this folder is not allowed: [B:\\wineprefix\\drive_c\\]"
                                   "\nRemoving  B:\\wineprefix\\drive_c\\")),
              std::string::npos);
    EXPECT_EQ(run.output.find("drive_c\\windows"), std::string::npos) << "never entered";
}

// A folder too deep to list is left as it is; an entry whose path would pass
// 260 characters gets 206. Neither is ever acted on through a shorter path.
TEST(Run, TreeDeeperThanAPathCanBe)
{
    // Entries past 260 and past 1,000 characters go like any other, and their lines show them whole.
    std::string folder = scratchFolder();
    std::string deep = "\\~deep", deeper = deep;
    for (int i = 0; i < 50; ++i)
        (i < 13 ? deep : deeper) += "\\" + std::string(20, 'd');
    deeper = deep + deeper.substr(6);
    auto unixOf = [&](std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        return unixPathOf(folder) + path;
    };
    runUnixCommand("mkdir -p '" + unixOf(deeper) + "' && touch '" + unixOf(deep) + "/~mid.tmp' '" + unixOf(deeper) +
                   "/leaf' && mkdir '" + unixOf("\\keep") + "'");
    DustrelRun run = runDustrel("/y /p:" + folder);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_GT(folder.size() + deeper.size(), 1000u);
    EXPECT_NE(run.output.find(crlf("\nDeleting  " + folder + deeper + "\\leaf\n")), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(crlf("\nRemoving  " + folder + deep + "\\\n")), std::string::npos);
    EXPECT_FALSE(exists(folder + "\\~deep"));
    EXPECT_TRUE(exists(folder + "\\keep"));

    // A tree deeper than the walk holds: the folder at the limit fails, and stays with all it holds.
    std::string tooDeep = "\\~too";
    for (int level = 1; level < 130; ++level)
        tooDeep += "\\d";
    runUnixCommand("mkdir -p '" + unixOf(tooDeep) + "' && touch '" + unixOf(tooDeep) + "/leaf'");
    run = runDustrel("/y /p:" + folder);
    EXPECT_EQ(run.exitCode, 0u) << "failures below the top level do not count";
    std::string limit = folder + tooDeep.substr(0, 5 + 2 * 127) + "\\";
    EXPECT_NE(run.output.find(crlf("\nScanning  " + limit + " ** Failed, error 206 **\nRemoving  " + limit +
                                   "\nNotEmpty  " + limit + "\n")), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(crlf("\nNotEmpty  " + folder + "\\~too\\\n")), std::string::npos);
    runUnixCommand("test -e '" + unixOf(tooDeep) + "/leaf' && touch '" + unixPathOf(folder) + "/survived'");
    EXPECT_TRUE(exists(folder + "\\survived")) << "the tree below the limit was not left whole";
}

// The confirmation box, for real, in the virtual display: the test finds the
// window by its caption, reads its text and presses a button.
void answerBox(int button, std::string* text)
{
    for (int waited = 0; waited < 600; ++waited, Sleep(50)) {
        HWND box = FindWindowA(nullptr, "Dustrel");
        char found[512] = {};
        // The window may show before its text and buttons are made.
        if (box != nullptr && GetDlgItem(box, button) != nullptr && GetDlgItemTextA(box, 0xFFFF, found, sizeof found)) {
            *text = found;
            SendMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
            return;
        }
    }
}

TEST(Run, ConfirmationBoxYesCleansAndNoDeclinesSilently)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no display: the box cannot be shown";
    for (int button : {IDNO, IDYES}) {
        std::string folder = scratchFolder();
        makeFile(folder + "\\a.tmp");
        std::string text;
        std::thread answer(answerBox, button, &text);
        DustrelRun run = runDustrel("/p:" + folder + "\\\\\\");
        answer.join();
        EXPECT_EQ(text, "Are you sure you want to clean up " + folder + "\\?");
        EXPECT_EQ(run.exitCode, button == IDYES ? 0u : DWORD(ERROR_SIGNAL_REFUSED));
        EXPECT_EQ(exists(folder + "\\a.tmp"), button == IDNO);
        EXPECT_EQ(run.output.empty(), button == IDNO) << run.output;
        if (HasFailure())
            break;
    }
}

// Where nobody could see the box (a window station that is not visible, as
// a service or a task run whether the user is logged on or not gets), the
// run is declined at once rather than waiting on it.
TEST(Run, NoBoxWhereNobodyCanSeeIt)
{
    std::string folder = scratchFolder();
    makeFile(folder + "\\a.tmp");
    HWINSTA visible = GetProcessWindowStation();
    HWINSTA hidden = CreateWindowStationA("DustrelHidden", 0, WINSTA_ALL_ACCESS, nullptr);
    SetProcessWindowStation(hidden);
    HDESK desktop = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(visible);
    DustrelRun run = runCommandLine("B:\\dustrel.exe /p:" + folder, "", nullptr, "DustrelHidden\\Default");
    CloseDesktop(desktop);
    CloseWindowStation(hidden);
    EXPECT_EQ(run.exitCode, DWORD(ERROR_SIGNAL_REFUSED));
    EXPECT_EQ(run.output, "");
    EXPECT_TRUE(exists(folder + "\\a.tmp"));
}

// A user's batch file, run by Wine's own cmd.exe, calls dustrel.exe from the
// PATH and acts on ERRORLEVEL.
TEST(Run, BatchFileActsOnTheExitCode)
{
    char path[32767];
    GetEnvironmentVariableA("PATH", path, sizeof path);
    SetEnvironmentVariableA("PATH", ("B:\\;" + std::string(path)).c_str());
    std::string folder = scratchFolder() + "\\build output";  // a blank the script passes on in quotes
    makeFolder(folder);
    struct {
        bool holdFileOpen;
        std::string arguments;
        DWORD code;
        std::string lastLine;
    } cases[] = {{false, "\"/p:" + folder + "\"", 0, "cleaned\r\n"},
                 {true, "\"/p:" + folder + "\"", ERROR_SHARING_VIOLATION, "failed with 32\r\n"},
                 {false, "/?", 1, "failed with 1\r\n"}};
    for (const auto& c : cases) {
        makeFile(folder + "\\held.tmp");
        HANDLE held = c.holdFileOpen ? CreateFileA((folder + "\\held.tmp").c_str(), GENERIC_READ, 0, nullptr,
                                                   OPEN_EXISTING, 0, nullptr)
                                     : INVALID_HANDLE_VALUE;
        DustrelRun run = runCommandLine("C:\\windows\\system32\\cmd.exe /c B:\\tests\\clean_folder.bat " + c.arguments);
        CloseHandle(held);
        EXPECT_EQ(run.exitCode, c.code) << c.arguments;
        EXPECT_EQ(run.output.substr(run.output.size() - std::min(run.output.size(), c.lastLine.size())), c.lastLine)
            << run.output;
        EXPECT_EQ(exists(folder + "\\held.tmp"), c.holdFileOpen || c.code == 1);
    }
}

} // namespace
