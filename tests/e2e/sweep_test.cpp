// The sweep on real folder trees under Wine: exact lines, exit codes and
// what is left on disk, including the faults a real machine produces.
#include <gtest/gtest.h>

#include <string>

#include "dustrel_process.h"
#include "scratch.h"

namespace {

bool contains(const std::string& output, const std::string& text)
{
    return output.find(crlf(text)) != std::string::npos;
}

std::string finalReport(DWORD code)
{
    return crlf("\n\n" + systemText(code) + "\n");
}

std::string windowsLines()
{
    char windows[MAX_PATH];
    char system[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    return "\n WINDIR: [" + std::string(windows) + "\\]\n SYSDIR: [" + system + "\\]\n";
}

std::string length(const std::string& path)
{
    return std::to_string(path.size());
}

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
    EXPECT_TRUE(exists(top + "\\keep\\z.tmp")) << "a folder that does not qualify is not entered";
    EXPECT_EQ(run.output.rfind(crlf("\nCleaning  " + top + "\\"), 0), 0u);
    EXPECT_EQ(run.output.substr(run.output.size() - finalReport(0).size()), finalReport(0));
    for (const std::string& line : {"\nDeleting  " + top + "\\a.tmp", "\nSkipping  " + top + "\\keep\\",
                                    "\nSkipping  " + top + "\\keep.txt", "\nScanning  " + top + "\\~d\\",
                                    "\nScanning  " + top + "\\~d\\sub\\", "\nDeleting  " + top + "\\~d\\sub\\y",
                                    "\nRemoving  " + top + "\\~d\\sub\\", "\nDeleting  " + top + "\\~d\\x.txt",
                                    "\nRemoving  " + top + "\\~d\\"})
        EXPECT_TRUE(contains(run.output, line)) << line << "\n" << run.output;
    EXPECT_LT(run.output.find(crlf("\nRemoving  " + top + "\\~d\\sub\\\n")),
              run.output.find(crlf("\nRemoving  " + top + "\\~d\\\n")))
        << "a sub-folder is emptied and removed before its parent";
}

TEST(Sweep, DryRunTracesEverythingAndChangesNothing)
{
    std::string top = scratchFolder();
    std::string folder = top + "\\~d";
    makeFolder(folder);
    makeFile(folder + "\\x");

    std::string expected = windowsLines() +
        "\nCleaning  " + top + "\\" +
        "\n\nCurrentFolder: [" + top + "\\]   [" + length(top + "\\") + "]\n" +
        "\n[~d]\t[]" +
        "\nScanning  " + folder + "\\" +
        "\n\nCurrentFolder: [" + folder + "\\]   [" + length(folder + "\\") + "]\n" +
        "\nDeleting  " + folder + "\\x  [" + length(folder + "\\x") + "]" +
        "\nRemoving  " + folder + "\\  [" + length(folder) + "]" +
        "\n\nProcess is exiting with return code 0.";
    DustrelRun run = runDustrel("/y /DuskHawk /p:" + top);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, crlf(expected) + finalReport(0));
    EXPECT_TRUE(exists(folder + "\\x"));

    // Under /Q only the forced lines remain: folder headers, length trailers, the name trace.
    std::string forced =
        "\n\nCurrentFolder: [" + top + "\\]   [" + length(top + "\\") + "]\n" +
        "\n[~d]\t[]" +
        "\n\nCurrentFolder: [" + folder + "\\]   [" + length(folder + "\\") + "]\n" +
        "  [" + length(folder + "\\x") + "]" +
        "  [" + length(folder) + "]";
    run = runDustrel("/y /q /DuskHawk /p:" + top);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, crlf(forced));
    EXPECT_TRUE(exists(folder + "\\x"));
}

TEST(Sweep, QuietRunCleansSilently)
{
    std::string top = scratchFolder();
    makeFile(top + "\\a.tmp");
    DustrelRun run = runDustrel("/y /q /p:" + top);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "");
    EXPECT_FALSE(exists(top + "\\a.tmp"));
}

// A file held open with share mode 0 cannot be deleted (32). At the top
// level that is the run's result; inside a sub-folder it only shows in its
// own line and the sub-folder ends as not empty.
TEST(SweepFaults, FileInUse)
{
    struct {
        const char* relative;  // below the target
        const char* failedLine;
        DWORD exitCode;
        const char* notEmpty;
    } cases[] = {
        {"\\busy.tmp", "\\busy.tmp", ERROR_SHARING_VIOLATION, nullptr},
        {"\\~d\\busy", "\\~d\\busy", 0, "\\~d\\"},
    };
    for (const auto& c : cases) {
        std::string top = scratchFolder();
        makeFolder(top + "\\~d");
        std::string path = top + c.relative;
        makeFile(path);
        HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        DustrelRun run = runDustrel("/y /p:" + top);
        CloseHandle(held);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.relative;
        EXPECT_TRUE(contains(run.output, "\nDeleting  " + top + c.failedLine + " ** Failed, error 32 **"))
            << run.output;
        if (c.notEmpty != nullptr) {
            EXPECT_TRUE(contains(run.output, "\nNotEmpty  " + top + c.notEmpty)) << run.output;
        }
        EXPECT_TRUE(run.output.size() >= finalReport(c.exitCode).size() &&
                    run.output.substr(run.output.size() - finalReport(c.exitCode).size()) == finalReport(c.exitCode));
        EXPECT_TRUE(exists(path));
    }
}

TEST(SweepFaults, InUseEntriesKeepTheirAttributes)
{
    const DWORD cases[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM};
    for (DWORD attributes : cases) {
        std::string top = scratchFolder();
        std::string path = top + "\\kept.tmp";
        makeFile(path);
        HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes));
        DustrelRun run = runDustrel("/y /p:" + top);
        CloseHandle(held);
        EXPECT_NE(run.exitCode, 0u);
        EXPECT_TRUE(exists(path));
        EXPECT_EQ(attributesOf(path) & attributes, attributes) << "attributes " << attributes;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(SweepFaults, ReadOnlyFileIsDeleted)
{
    std::string top = scratchFolder();
    std::string path = top + "\\ro.tmp";
    makeFile(path);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    DustrelRun run = runDustrel("/y /p:" + top);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_FALSE(exists(path));
}

TEST(SweepFaults, CurrentFolderOfAProcessCannotBeRemoved)
{
    std::string top = scratchFolder();
    std::string busy = top + "\\~cwd";
    makeFolder(busy);
    RunSettings settings;
    settings.currentFolder = busy;
    DustrelRun run = runDustrel("/y /p:" + top, settings);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(contains(run.output, "\nRemoving  " + busy + "\\ ** Failed, error 32 **")) << run.output;
    EXPECT_TRUE(exists(busy));
}

TEST(SweepFaults, FullStandardOutputDoesNotChangeTheOutcome)
{
    std::string top = scratchFolder();
    for (int i = 0; i < 40; ++i)
        makeFile(top + "\\~file-number-" + std::to_string(i) + ".tmp");
    HANDLE full = CreateFileA("\\\\?\\unix\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(full, INVALID_HANDLE_VALUE);
    RunSettings settings;
    settings.standardOutput = full;
    DustrelRun run = runDustrel("/y /p:" + top, settings);
    CloseHandle(full);
    EXPECT_EQ(run.exitCode, 0u);
    for (int i = 0; i < 40; ++i)
        EXPECT_FALSE(exists(top + "\\~file-number-" + std::to_string(i) + ".tmp"));
}

// A link is removed, never entered: what it points at survives.
TEST(SweepFaults, LinkToAFolderOutsideIsNeverEntered)
{
    std::string top = scratchFolder();
    std::string outside = top + "\\outside";
    makeFolder(outside);
    makeFile(outside + "\\precious.txt");
    std::string target = top + "\\target";
    makeFolder(target);
    makeUnixLink(unixPathOf(outside), target + "\\~link");
    ASSERT_EQ(attributesOf(target + "\\~link") & FILE_ATTRIBUTE_REPARSE_POINT,
              static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));

    for (const char* options : {"/y /DuskHawk", "/y", "/y /a"}) {
        DustrelRun run = runDustrel(std::string(options) + " /p:" + target);
        EXPECT_TRUE(contains(run.output, "\nRemoving  " + target + "\\~link\\")) << options << "\n" << run.output;
        EXPECT_FALSE(contains(run.output, "\nScanning  " + target + "\\~link\\")) << options;
        EXPECT_FALSE(contains(run.output, "precious")) << options;
        EXPECT_TRUE(exists(outside + "\\precious.txt")) << options;
    }
}

// Paths longer than 260 characters are reported with 206, never cut.
TEST(SweepFaults, TreeDeeperThanAPathCanBe)
{
    std::string top = scratchFolder();
    std::string twenty(20, 'd');
    std::string deep = "~deep";
    for (int i = 0; i < 13; ++i)
        deep += "/" + twenty;
    runUnixCommand("mkdir -p '" + unixPathOf(top) + "/" + deep + "' && touch '" + unixPathOf(top) + "/" + deep +
                   "/leaf.txt'");
    makeFolder(top + "\\deep-neighbour");
    makeFile(top + "\\deep-neighbour\\kept-apart.txt");

    DustrelRun run = runDustrel("/y /p:" + top);
    EXPECT_EQ(run.exitCode, 0u) << "failures below the top level do not count";
    EXPECT_TRUE(contains(run.output, " ** Failed, error 206 **")) << run.output;
    EXPECT_TRUE(contains(run.output, "\nNotEmpty  " + top + "\\~deep\\"));
    EXPECT_TRUE(exists(top + "\\deep-neighbour\\kept-apart.txt"));

    // An entry at the top level whose path does not fit: its code is the result.
    std::string longFolder = scratchFolder() + "\\" + std::string(250 - top.size(), 'f');
    makeFolder(longFolder);
    runUnixCommand("touch '" + unixPathOf(longFolder) + "/~a-name-too-long-to-join.tmp'");
    run = runDustrel("/y /p:" + longFolder);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE)) << run.output;
    EXPECT_TRUE(contains(run.output, "\nDeleting  " + longFolder + "\\~a-name-too-long-to-join.tmp ** Failed, error 206 **"))
        << run.output;
}

TEST(RunFailures, TempPathTooLongIsAFailureNotSuccess)
{
    std::string tooLong = "C:\\" + std::string(300, 't');
    char savedTmp[MAX_PATH] = "";
    char savedTemp[MAX_PATH] = "";
    DWORD hadTmp = GetEnvironmentVariableA("TMP", savedTmp, MAX_PATH);
    DWORD hadTemp = GetEnvironmentVariableA("TEMP", savedTemp, MAX_PATH);
    SetEnvironmentVariableA("TMP", tooLong.c_str());
    SetEnvironmentVariableA("TEMP", tooLong.c_str());
    DustrelRun run = runDustrel("/y");
    SetEnvironmentVariableA("TMP", hadTmp ? savedTmp : nullptr);
    SetEnvironmentVariableA("TEMP", hadTemp ? savedTemp : nullptr);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(run.output,
              crlf("\nFailed to retrieve the path of the TEMP folder.\n\n" + systemText(ERROR_FILENAME_EXCED_RANGE)));
}

} // namespace
