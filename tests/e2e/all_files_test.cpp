// /A end to end. Every run aimed at a folder that matters is a dry run
// (the diagnostic switch) first; the one real run there comes only after
// its dry run has shown the refusal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dustrel_process.h"
#include "scratch.h"

namespace {

std::string finalReport(DWORD code)
{
    return crlf("\n\n" + systemText(code) + "\n");
}

std::string diagnosticReport(DWORD code)
{
    return crlf("\n\nProcess is exiting with return code " + std::to_string(code) + ".") + finalReport(code);
}

std::string folderHeader(const std::string& folder)
{
    return "\n\nCurrentFolder: [" + folder + "]   [" + std::to_string(folder.size()) + "]\n";
}

std::string refusalLine(const std::string& folder)
{
    return "\nDeleting all files from this folder is not allowed: [" + folder + "]";
}

// The whole output of a dry run under /A on a refused folder.
std::string dryRefusal(const std::string& folder)
{
    return crlf("\n WINDIR: [C:\\windows\\]\n SYSDIR: [C:\\windows\\system32\\]\n\nCleaning  " + folder +
                folderHeader(folder) + refusalLine(folder)) +
           diagnosticReport(ERROR_ACCESS_DENIED);
}

// The output as far as a refused run would go: a failure shows a short piece.
std::string outputStart(const DustrelRun& run, const std::string& expected)
{
    return run.output.substr(0, expected.size() + 80);
}

RunSettings from(const std::string& currentFolder)
{
    RunSettings settings;
    settings.currentFolder = currentFolder;
    return settings;
}

// Names of the entries of folder, to see that a refused run left it alone.
std::vector<std::string> entriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

TEST(AllFiles, RefusesEverySpellingOfAProtectedFolder)
{
    std::string scratch = scratchFolder();
    struct {
        std::string currentFolder;
        std::string folder;  // as given after /p:
        std::string held;    // as the sweep holds it
    } cases[] = {
        {"", "C:\\", "C:\\"}, {"", "c:", "c:\\"}, {"", "C:\\.", "C:\\.\\"}, {"", "T:\\", "T:\\"},
        {"", "B:\\", "B:\\"}, {"", "Z:\\", "Z:\\"}, {scratch, "\\", "\\"}, {"", "C:\\WINDOWS", "C:\\WINDOWS\\"},
        {"", "C:\\windows\\system32\\", "C:\\windows\\system32\\"},
        {"", "C:\\WINDOWS\\..\\WINDOWS", "C:\\WINDOWS\\..\\WINDOWS\\"}, {"", "C:/WINDOWS", "C:/WINDOWS\\"},
        {"", "\\\\?\\C:\\WINDOWS", "\\\\?\\C:\\WINDOWS\\"}, {"", "\\\\.\\C:\\WINDOWS", "\\\\.\\C:\\WINDOWS\\"}, {"", "\\??\\C:\\WINDOWS", "\\??\\C:\\WINDOWS\\"},
        {"C:\\", "WINDOWS", "WINDOWS\\"}, {"C:\\", "\\WINDOWS", "\\WINDOWS\\"},
        {"C:\\", ".\\WINDOWS", ".\\WINDOWS\\"}, {"C:\\windows\\temp", "..", "..\\"},
        {"", "C:\\windows\\syswow64", "C:\\windows\\syswow64\\"},
        {"", "C:\\windows\\sysnative", "C:\\windows\\sysnative\\"}, {"", "Z:\\drive_c", "Z:\\drive_c\\"},
        {"", "Z:\\drive_c\\windows", "Z:\\drive_c\\windows\\"},
        {"", "Z:\\drive_c\\windows\\system32", "Z:\\drive_c\\windows\\system32\\"},
        {"", "B:\\wineprefix\\drive_c\\windows", "B:\\wineprefix\\drive_c\\windows\\"},
    };
    for (const auto& c : cases) {
        DustrelRun run = runDustrel("/y /a /DuskHawk /p:" + c.folder, from(c.currentFolder));
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << c.folder;
        EXPECT_EQ(outputStart(run, dryRefusal(c.held)), dryRefusal(c.held)) << c.folder;
    }
}

TEST(AllFiles, ProtectedFolderThatCannotBeListedGivesTheListingError)
{
    for (const std::string folder : {"D:\\", "\\\\srv\\share\\"}) {
        DustrelRun run = runDustrel("/y /a /p:" + folder);
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_PATH_NOT_FOUND)) << folder;
        EXPECT_EQ(run.output, crlf("\nCleaning  " + folder) + finalReport(ERROR_PATH_NOT_FOUND)) << folder;
    }
}

TEST(AllFiles, RealRunOnARefusedSpellingTouchesNothing)
{
    const std::string folder = "C:\\.\\";
    DustrelRun dry = runDustrel("/y /a /DuskHawk /p:C:\\.");
    ASSERT_EQ(dry.exitCode, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << dry.output;
    ASSERT_EQ(outputStart(dry, dryRefusal(folder)), dryRefusal(folder));

    std::vector<std::string> drive = entriesOf("C:\\");
    std::vector<std::string> windows = entriesOf("C:\\windows\\");
    ASSERT_GT(windows.size(), 10u);
    DustrelRun run = runDustrel("/y /a /p:C:\\.");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(run.output, crlf("\nCleaning  " + folder + refusalLine(folder)) + finalReport(ERROR_ACCESS_DENIED));
    EXPECT_EQ(entriesOf("C:\\"), drive);
    EXPECT_EQ(entriesOf("C:\\windows\\"), windows);
}

TEST(AllFiles, DeletesEveryFileWhateverItsNameWithoutANameTrace)
{
    std::string top = scratchFolder();
    std::vector<std::string> files = {"\\readme", "\\autoexec.bat", "\\a.tmp", "\\keep\\z.txt",
                                      "\\keep\\deeper\\y", "\\ro.txt"};
    makeFolder(top + "\\keep");
    makeFolder(top + "\\keep\\deeper");
    for (const std::string& file : files)
        makeFile(top + file);
    SetFileAttributesA((top + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    DustrelRun dry = runDustrel("/y /a /q /DuskHawk /p:" + top);
    EXPECT_EQ(dry.exitCode, 0u);
    EXPECT_EQ(dry.output.find("]\t["), std::string::npos) << dry.output;
    dry = runDustrel("/y /a /DuskHawk /p:" + top);
    EXPECT_EQ(dry.output.find("]\t["), std::string::npos) << dry.output;
    for (const std::string& file : files) {
        EXPECT_NE(dry.output.find("\r\nDeleting  " + top + file), std::string::npos) << file << dry.output;
        EXPECT_TRUE(exists(top + file)) << file;
    }

    DustrelRun run = runDustrel("/y /a /p:" + top);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output.find("Skipping"), std::string::npos) << run.output;
    EXPECT_EQ(entriesOf(top + "\\"), (std::vector<std::string>{".", ".."}));
}

TEST(AllFiles, SubFolderPathShorterThanFourStopsWithAnInternalError)
{
    std::string scratch = scratchFolder();
    makeFolder(scratch + "\\a");
    makeFolder(scratch + "\\a\\b");
    makeFolder(scratch + "\\ab");
    makeFolder(scratch + "\\ab\\c");

    DustrelRun run = runDustrel("/y /a /p:a", from(scratch));
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(run.output, crlf("\nCleaning  a\\\nScanning  a\\b\\\nFailed with an internal error.  Invalid path: [a\\b]") +
                              finalReport(ERROR_INVALID_DATA));
    EXPECT_TRUE(exists(scratch + "\\a\\b"));

    run = runDustrel("/y /a /p:ab", from(scratch));  // "ab\c" is four characters: handled normally
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, crlf("\nCleaning  ab\\\nScanning  ab\\c\\\nRemoving  ab\\c\\") + finalReport(0));
    EXPECT_FALSE(exists(scratch + "\\ab\\c"));
}

TEST(AllFiles, ProtectedFolderBelowTheTargetIsRefusedThereAndTheWalkGoesOn)
{
    // The prefix folder, reached through the build's drive, holds drive_c: C:\ by another name.
    const std::string drive = "B:\\wineprefix\\drive_c\\";
    DustrelRun dry = runDustrel("/y /a /DuskHawk /p:B:\\wineprefix");
    EXPECT_EQ(dry.exitCode, 0u);
    std::string refusedBelow = crlf("\nScanning  " + drive + folderHeader(drive) + refusalLine(drive) +
                                    "\nRemoving  " + drive + "  [21]");
    EXPECT_NE(dry.output.find(refusedBelow), std::string::npos) << dry.output;
    EXPECT_EQ(dry.output.find("not allowed"), dry.output.rfind("not allowed")) << dry.output;
}

} // namespace
