// Runs whose output is not a plain sweep: the usage screen, start-up
// failures, slips refused, the log, a full standard output, paths too long
// to act on, the confirmation box, and a user's batch file acting on the
// exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "common/version.h"
#include "harness.h"

namespace {

// A system text without its line end, as a log failure names its cause.
std::string cause(DWORD code)
{
    std::string text = systemText(code);
    return text.substr(0, text.find_last_not_of("\r\n") + 1);
}

std::string logFailure(const std::string& log, const std::string& why)
{
    return crlf("\nFailed to open the log file \"" + log + "\": " + why + "\n\n" + systemText(ERROR_OPEN_FAILED));
}

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

// TEMP is the folder TMP (or else TEMP) names, exactly: a name the code page
// cannot spell is no other folder's look-alike, and is shown with "?" as a
// control character is. Unset, empty or relative, it names nothing, and the
// run does not fall back to the profile, the current folder or Windows.
TEST(Run, TemporaryFolderAsTheVariableNamesIt)
{
    std::string folder = scratchFolder();
    std::wstring wideFolder = wideText(folder);
    for (const char* name : {"\\Lukasz", "\\victim", "\\tmp"}) {
        makeFolder(folder + name);
        makeFile(folder + name + "\\a.tmp");
    }
    CreateDirectoryW((wideFolder + L"\\\x141ukasz").c_str(), nullptr);
    CloseHandle(CreateFileW((wideFolder + L"\\\x141ukasz\\a.tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const std::string gone = "\n\n" + systemText(0);
    struct {
        std::wstring tmp, temp;
        DWORD code;
        std::string output;
    } cases[] = {
        {wideFolder + L"\\\x141ukasz", L"", 0, "\nCleaning  " + folder + "\\?ukasz\\\nDeleting  " + folder + "\\?ukasz\\a.tmp" + gone},
        {wideFolder + L"\\a\xFF3C..\xFF3C..\xFF3Cvictim", L"", ERROR_PATH_NOT_FOUND,
         "\nCleaning  " + folder + "\\a?..?..?victim\\\n\n" + systemText(ERROR_PATH_NOT_FOUND)},
        {wideFolder + L"\\x\x1B[2J", L"", ERROR_INVALID_NAME, "\nCleaning  " + folder + "\\x?[2J\\\n\n" + systemText(123)},
        {L"", L"", ERROR_ENVVAR_NOT_FOUND, ""}, {L"tmp", wideFolder + L"\\tmp", ERROR_ENVVAR_NOT_FOUND, ""},
        {L"C:\\" + std::wstring(300, L't'), L"", ERROR_FILENAME_EXCED_RANGE, ""},
    };
    for (const auto& c : cases) {
        SetEnvironmentVariableW(L"TMP", c.tmp.empty() ? nullptr : c.tmp.c_str());
        SetEnvironmentVariableW(L"TEMP", c.temp.empty() ? nullptr : c.temp.c_str());
        DustrelRun run = runCommandLine("B:\\dustrel.exe /y", folder);
        EXPECT_EQ(run.exitCode, c.code);
        std::string failed = "\nFailed to retrieve the path of the TEMP folder.\n\n" + systemText(c.code);
        EXPECT_EQ(run.output, crlf(c.output.empty() ? failed : c.output + "\n"));
    }
    SetEnvironmentVariableA("TMP", "");  // set and empty is as unset
    SetEnvironmentVariableA("TEMP", "");
    EXPECT_EQ(runDustrel("/y").exitCode, DWORD(ERROR_ENVVAR_NOT_FOUND));
    for (const char* name : {"\\Lukasz", "\\victim", "\\tmp"})
        EXPECT_TRUE(exists(folder + name + "\\a.tmp")) << name;
}

// A slip in /P or /LOG, a word that is no option, or a log that cannot be
// opened ends the run before anything is asked or touched: without a /P the
// run would clean TEMP, and an option ignored makes a wider run.
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
    auto unknown = [](const std::string& named, const char* hint = "") {
        return crlf("\nThe argument \"" + named + "\" is not an option of this program" + hint + ".\n\n" + systemText(87));
    };
    const char* folderHint = ": a folder to clean must be given as /P:folder";
    struct {
        std::string arguments;
        DWORD code;
        std::string output;
    } cases[] = {
        {"/P " + folder, 87, slip("/P", "/P:folder")}, {"/P=" + folder, 87, slip("/P=" + folder, "/P:folder")},
        {"/P" + folder, 87, slip("/P" + folder, "/P:folder")}, {"/p:", 87, slip("/p:", "/P:folder")},
        {"\"/p:\"", 87, slip("/p:", "/P:folder")}, {"\"/p: \" /log:x /D:0", 87, slip("/p: ", "/P:folder")},
        {"/LOG " + missingLog, 87, slip("/LOG", "/LOG:file")}, {"/q /p=x", 87, ""},
        {"/y /Days:7", 87, unknown("/Days:7")}, {"/O:7 /y", 87, unknown("/O:7")}, {"/whatif", 87, unknown("/whatif")},
        {"--dry-run /L", 87, unknown("--dry-run")}, {"/List", 87, unknown("/List")}, {"/S /D:0", 87, unknown("/S")},
        {"\"\" /y", 87, unknown("")}, {folder + " /p:" + folder, 87, unknown(folder, folderHint)},
        {"/Q " + folder, 87, ""},
        {"/log:" + missingLog, ERROR_OPEN_FAILED, logFailure(missingLog, cause(ERROR_PATH_NOT_FOUND))},
        {"-Q /log:" + missingLog, ERROR_OPEN_FAILED, ""},
    };
    for (const auto& c : cases) {  // no /Y: a box would wait for an answer that never comes
        DustrelRun run = runDustrel("/a " + c.arguments);
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
              "@" + arguments + "\r\n" + first.output + "Summary: 1 file deleted, 0 folders removed, 1 skipped, 0 spared, "
              "1 failed (32), 5 bytes freed.\r\nExit code 0.\r\n");
    std::string secondRecord = records.substr(std::min(records.find("@", 1), records.size()));
    EXPECT_EQ(sortedLines(secondRecord),
              sortedLines("@/q  " + arguments + crlf("\n\nCleaning  " + target + "\\\nSkipping  " + target +
                                                     "\\keep.txt\nScanning  " + target + "\\~d\\\nDeleting  " + target +
                                                     "\\~d\\busy\nRemoving  " + target + "\\~d\\" + ending +
                                                     "Summary: 1 file deleted, 1 folder removed, 1 skipped, 0 spared, "
                                                     "0 failed, 0 bytes freed.\nExit code 0.\n")))
        << records;
}

std::string readFile(const std::string& path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    char block[4096];
    for (DWORD got; ReadFile(file, block, sizeof block, &got, nullptr) && got > 0;)
        bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

// A log that another account prepared, or that is no file of the run's own,
// ends the run with 110 before anything is touched, and is left as it was:
// a second name of another file, a link at its name or on its way (in a
// folder others can change), a device, another account's file, a folder, a
// log held without sharing. A link made where only trusted accounts can
// change the folder still leads to the log.
TEST(Run, LogOthersPreparedEndsTheRunWith110)
{
    std::string folder = scratchFolder(), target = folder + "\\t", victim = folder + "\\victim.bat";
    std::string unix = unixPathOf(folder);
    makeFolder(target);
    makeFile(target + "\\a.tmp");
    runUnixCommand("cd '" + unix + "' && printf '@echo off\\r\\n' >victim.bat && mkdir private shared && "
                   "ln -s \"$PWD/victim.bat\" sym.log && ln -s \"$PWD/private/made.log\" dangling.log && "
                   "ln -s \"$PWD/private\" shared/logs && chmod 777 shared && ln -s \"$PWD/private\" trusted && "
                   "printf 'theirs' >t/~their.tmp && chown 1234 t/~their.tmp");
    CreateHardLinkA((folder + "\\hard.log").c_str(), victim.c_str(), nullptr);
    HANDLE held = CreateFileA((folder + "\\held.log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string linked = "other accounts can change the folder that holds the link \"" + folder + "\\shared\\logs\" on its way.";
    struct {
        std::string log, cause;
    } cases[] = {
        {folder + "\\hard.log", "it has another name."}, {folder + "\\sym.log", "it is a link."},
        {folder + "\\dangling.log", "it is a link."}, {folder + "\\shared\\logs\\x.log", linked},
        {target + "\\~their.tmp", "it belongs to another account."}, {folder + "\\COM1", cause(ERROR_PATH_NOT_FOUND)},
        {"\\\\.\\COM1", cause(ERROR_PATH_NOT_FOUND)}, {folder, cause(ERROR_ACCESS_DENIED)},
        {folder + "\\logs\\", cause(ERROR_INVALID_NAME)},
        {folder + "\\held.log", cause(ERROR_SHARING_VIOLATION)},
    };
    for (const auto& c : cases) {
        DustrelRun run = runDustrel("/y /a /p:" + target + " /log:" + c.log);
        EXPECT_EQ(run.exitCode, DWORD(ERROR_OPEN_FAILED)) << c.log;
        EXPECT_EQ(run.output, logFailure(c.log, c.cause)) << c.log;
        EXPECT_TRUE(exists(target + "\\a.tmp")) << c.log;
    }
    CloseHandle(held);
    EXPECT_EQ(readFile(victim), "@echo off\r\n");
    EXPECT_EQ(readFile(target + "\\~their.tmp"), "theirs");
    EXPECT_FALSE(exists(folder + "\\private\\made.log"));
    EXPECT_FALSE(exists(folder + "\\private\\x.log"));
    EXPECT_FALSE(exists(folder + "\\logs")) << "a folder's path made a file";
    EXPECT_EQ(readFile("T:\\ports\\com1"), "");

    DustrelRun run = runDustrel("/y /p:" + target + " /log:" + folder + "\\trusted\\y.log");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(readFile(folder + "\\private\\y.log").find("Deleting  " + target + "\\a.tmp\r\n"), std::string::npos);
}

// Runs that share a log append whole lines: no line of one splices into a
// line of the other. A run refused for an argument is recorded too.
TEST(Run, RunsSharingALogNeverSpliceLines)
{
    std::string folder = scratchFolder(), log = folder + "\\shared.log";
    const int files = 1000;  // enough for the two runs to write at once
    runUnixCommand("cd '" + unixPathOf(folder) + "' && mkdir a b && i=0 && while [ $i -lt " + std::to_string(files) +
                   " ]; do touch a/~aaaaaaaaaaaaaaaaaaaa$i.tmp b/~bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb$i.tmp; i=$((i+1)); done");
    std::thread other([&] { runDustrel("/l /p:" + folder + "\\b /log:" + log); });
    runDustrel("/l /p:" + folder + "\\a /log:" + log);
    other.join();
    DustrelRun refused = runDustrel("/y /p:" + folder + "\\a /d:0 /log:" + log);
    EXPECT_EQ(refused.exitCode, 87u);
    std::string records = readFile(log);
    std::regex line("(Dustrel .*|(Cleaning|Deleting)  " + std::regex_replace(folder, std::regex("\\\\"), "\\\\") +
                    "\\\\(a|b)\\\\(~[ab]+[0-9]+\\.tmp)?|[A-Z][a-z ]+\\.\r|The number of days in \"/d:0\" must be .*|"
                    "Summary: .*|Exit code (0|87)\\.|)");
    int lines = 0;
    for (size_t start = 0, end; (end = records.find("\r\n", start)) != std::string::npos; start = end + 2, ++lines)
        EXPECT_TRUE(std::regex_match(records.substr(start, end - start), line)) << records.substr(start, end - start);
    EXPECT_EQ(lines, 2 * (1 + 1 + 1 + files + 5) + 7);
    EXPECT_NE(records.find("\r\n\r\nThe number of days in \"/d:0\" must be a whole number from 1 to 3650.\r\n\r\n" +
                           crlf(systemText(87)) + "Summary: 0 files deleted, 0 folders removed, 0 skipped, 0 spared, 0 failed, "
                           "0 bytes freed.\r\nExit code 87.\r\n"), std::string::npos) << records;
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

// A protected folder is refused by the folder held, whatever its name:
// B:\wineprefix is the root of Z:, and holds C:\ as drive_c.
TEST(Run, ProtectedFolderUnderAnotherNameIsRefused)
{
    DustrelRun run = runDustrel("/y /a /DuskHawk /p:B:\\wineprefix");
    EXPECT_EQ(run.exitCode, DWORD(ERROR_ACCESS_DENIED));
    EXPECT_NE(run.output.find(crlf("\nCleaning  B:\\wineprefix\\\n\nCurrentFolder: [B:\\wineprefix\\]   [14]\n\n"
                                   "Deleting all files from this folder is not allowed: [B:\\wineprefix\\]")),
              std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("drive_c"), std::string::npos) << "never entered";
}

// Paths pass 260 characters like any other, the folder named too; a tree
// deeper than the walk holds is left whole below its limit.
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
    DustrelRun run = runDustrel("/l /p:" + folder + deep);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output.find(crlf("\nCleaning  " + folder + deep + "\\\n")), 0u) << run.output;
    EXPECT_NE(run.output.find(crlf("\nDeleting  " + folder + deep + "\\~mid.tmp\n")), std::string::npos);
    run = runDustrel("/y /p:" + folder);
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
// window by its caption, reads its text and presses a button, until the run
// has ended.
void answerBox(int button, std::string* text, const std::atomic<bool>* ended)
{
    for (int waited = 0; waited < 600 && !*ended; ++waited, Sleep(50)) {
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

// Under load Wine's display now and then fails to show a box, and the run
// rightly says that nobody could answer it: such a run is tried again.
DustrelRun runWithBoxAnswered(const std::string& arguments, int button, std::string* text)
{
    DustrelRun run;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::atomic<bool> ended(false);
        std::thread answer(answerBox, button, text, &ended);
        run = runDustrel(arguments);
        ended = true;
        answer.join();
        if (run.output.find("Nobody can answer the confirmation box") == std::string::npos)
            break;
    }
    return run;
}

TEST(Run, ConfirmationBoxYesCleansAndNoDeclinesSilently)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no display: the box cannot be shown";
    for (int button : {IDNO, IDYES}) {
        std::string folder = scratchFolder();
        makeFile(folder + "\\a.tmp");
        std::string text;
        DustrelRun run = runWithBoxAnswered("/p:" + folder + "\\\\\\", button, &text);
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
// run is declined at once rather than waiting on it, and says why.
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
    EXPECT_EQ(run.output, "\r\nNobody can answer the confirmation box here, so nothing was cleaned: /Y runs without it.\r\n");
    EXPECT_TRUE(exists(folder + "\\a.tmp"));
}

// README.txt's nightly script, run by Wine's own cmd.exe, calls dustrel.exe
// from the PATH and takes a file in use as done, "nothing ran" as failed.
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
    } cases[] = {{false, "\"/p:" + folder + "\"", 0, ""},
                 {true, "\"/p:" + folder + "\"", 0, ""},
                 {false, "/?", 1, "Dustrel failed with 1\r\n"},
                 {false, "/Days:7 \"/p:" + folder + "\"", 87, "Dustrel failed with 87\r\n"},
                 {false, "\"/p:" + folder + "\" \"/log:" + folder + "\\missing\\x.log\"", 110, "Dustrel failed with 110\r\n"}};
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
        EXPECT_EQ(exists(folder + "\\held.tmp"), c.holdFileOpen || c.code != 0);
    }
}

} // namespace
