// isProtectedFolder against Wine's real Windows and System folders, with a
// current folder that each case sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "scratch.h"
#include "sweep/protected_folder.h"

namespace {

struct FolderCase {
    std::string currentFolder;
    std::string path;
    int protectedFolder;
};

class ProtectedFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        resetRunRecords();
        setAnsiCodePage(GetACP());
        GetWindowsDirectoryA(systemFolders.windowsFolder, PATH_BUFFER);
        GetSystemDirectoryA(systemFolders.systemFolder, PATH_BUFFER);
        normalizeFolder(systemFolders.windowsFolder);
        normalizeFolder(systemFolders.systemFolder);
        GetCurrentDirectoryA(sizeof startFolder, startFolder);
    }
    void TearDown() override { SetCurrentDirectoryA(startFolder); }

    void expectCases(const std::vector<FolderCase>& cases)
    {
        for (const FolderCase& c : cases) {
            ASSERT_TRUE(SetCurrentDirectoryA(c.currentFolder.c_str())) << c.currentFolder;
            EXPECT_EQ(isProtectedFolder(c.path.c_str()), c.protectedFolder)
                << "[" << c.path << "] from [" << c.currentFolder << "]";
        }
    }

    char startFolder[MAX_PATH] = {};
};

TEST_F(ProtectedFolderTest, WineFoldersAreTheOnesTheCasesAssume)
{
    EXPECT_STREQ(systemFolders.windowsFolder, "C:\\windows\\");
    EXPECT_STREQ(systemFolders.systemFolder, "C:\\windows\\system32\\");
}

TEST_F(ProtectedFolderTest, RefusesEverySpellingOfAProtectedFolder)
{
    expectCases({
        // Drive roots and the root of the current drive.
        {"C:\\", "C:\\", 1}, {"C:\\", "c:", 1}, {"C:\\", "C:\\\\\\", 1}, {"C:\\", "D:\\", 1},
        {"C:\\", "1:\\", 1}, {"C:\\", "T:\\", 1}, {"C:\\", "B:\\", 1}, {"C:\\", "Z:\\", 1},
        {"C:\\", "\\", 1}, {"C:\\", "\\\\", 1}, {"T:\\", "\\", 1}, {"C:\\", "C:\\.", 1},
        {"C:\\", "C:\\windows\\..", 1}, {"C:\\windows\\temp", "..\\..", 1}, {"C:\\windows", "\\", 1},
        {"C:\\windows", "C:", 1}, {"C:\\", "\\\\?\\C:\\", 1}, {"C:\\", "\\\\.\\C:\\", 1},
        // Network servers and shares without a folder below.
        {"C:\\", "\\\\srv", 1}, {"C:\\", "\\\\srv\\share", 1}, {"C:\\", "\\\\srv\\share\\", 1},
        {"C:\\", "\\\\srv\\\\share\\", 1}, {"C:\\", "\\\\?\\UNC\\srv\\share", 1},
        {"C:\\", "//srv/share", 1},
        // The Windows and System folders, named in full or relative to the current folder.
        {"C:\\", "C:\\WINDOWS", 1}, {"C:\\", "c:\\windows\\", 1}, {"C:\\", "C:\\Windows\\System32", 1},
        {"C:\\", "WINDOWS", 1}, {"C:\\", "windows\\system32", 1}, {"C:\\", "\\WINDOWS", 1},
        {"C:\\", ".\\WINDOWS", 1}, {"C:\\users", "..\\windows", 1}, {"C:\\windows\\temp", "..", 1},
        {"C:\\", "C:\\WINDOWS\\..\\WINDOWS", 1}, {"C:\\", "C:/WINDOWS", 1}, {"C:\\", "C:\\.\\windows\\.", 1},
        {"C:\\", "C:WINDOWS", 1}, {"C:\\", "\\\\?\\C:\\WINDOWS", 1}, {"C:\\", "\\\\.\\C:\\WINDOWS", 1},
        {"C:\\", "\\??\\C:\\WINDOWS", 1}, {"C:\\", "C:\\windows.", 1},
        // Both System folders of a 32-bit process on a 64-bit system.
        {"C:\\", "C:\\windows\\syswow64", 1}, {"C:\\", "C:\\windows\\sysnative", 1},
        // Second names: the prefix folder, reached through Z: and through B:.
        {"C:\\", "Z:\\drive_c", 1}, {"C:\\", "z:\\DRIVE_C\\", 1}, {"C:\\", "Z:\\drive_c\\windows", 1},
        {"C:\\", "Z:\\drive_c\\windows\\system32", 1}, {"C:\\", "Z:\\drive_c\\windows\\syswow64", 1},
        {"C:\\", "B:\\wineprefix\\drive_c", 1}, {"C:\\", "B:\\wineprefix\\drive_c\\windows", 1},
        {"Z:\\", "drive_c\\windows", 1}, {"Z:\\drive_c\\users", "..\\windows\\system32", 1},
    });
}

TEST_F(ProtectedFolderTest, LetsOrdinaryFoldersBeEmptied)
{
    std::string scratch = scratchFolder();
    makeFolder(scratch + "\\WINDOWS");
    expectCases({
        {"C:\\", "C:\\WINDOWS\\TEMP\\", 0}, {"C:\\", "C:\\windows\\temp", 0}, {"C:\\", "C:\\TEMP\\", 0},
        {"C:\\", "C:\\users", 0}, {"C:\\", "C:\\windows\\system32\\drivers", 0}, {"C:\\", "AB\\", 0},
        {"C:\\", "\\\\srv\\share\\dir\\", 0}, {"C:\\", "\\\\?\\UNC\\srv\\share\\dir", 0},
        {"C:\\", scratch, 0}, {"C:\\", "Z:\\drive_c\\windows\\temp", 0}, {"C:\\", "Z:\\dosdevices", 0},
        {"C:\\", "B:\\wineprefix", 0}, {"C:\\", "T:\\protected_folder_tests", 0},
        {scratch, "WINDOWS", 0}, {scratch, ".\\WINDOWS", 0}, {scratch, "\\WINDOWS", 0},
        {"C:\\windows", "temp", 0}, {"C:\\windows\\system32", "..\\temp", 0},
    });
}

TEST_F(ProtectedFolderTest, JoinTooLongForAPathMatchesNothing)
{
    std::string current = scratchFolder();
    while (current.size() < 230) {
        current += "\\" + std::string(40, 'd');
        makeFolder(current);
    }
    std::string path(PATH_BUFFER - 2, 'p');  // with the backslash, a path as long as a buffer holds
    expectCases({{current, path, 0}, {current, "x\\" + std::string(200, 'q'), 0}});
}

} // namespace
