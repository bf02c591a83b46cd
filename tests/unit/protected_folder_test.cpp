// isProtectedFolder against Wine's real Windows and System folders, from a
// current folder that each case sets.
#include <gtest/gtest.h>

#include <string>

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "harness.h"
#include "sweep/protected_folder.h"

namespace {

struct FolderCase {
    std::string currentFolder;
    std::string path;
};

class ProtectedFolder : public testing::Test {
protected:
    void SetUp() override
    {
        resetRunRecords();
        setAnsiCodePage(GetACP());
        GetWindowsDirectoryA(systemFolders.windowsFolder, PATH_BUFFER);
        GetSystemDirectoryA(systemFolders.systemFolder, PATH_BUFFER);
        normalizeFolder(systemFolders.windowsFolder);
        normalizeFolder(systemFolders.systemFolder);
        ASSERT_STREQ(systemFolders.windowsFolder, "C:\\windows\\");
        GetCurrentDirectoryA(MAX_PATH, startFolder);
    }
    void TearDown() override { SetCurrentDirectoryA(startFolder); }

    void expect(int protectedFolder, std::initializer_list<FolderCase> cases)
    {
        for (const FolderCase& c : cases) {
            ASSERT_TRUE(SetCurrentDirectoryA(c.currentFolder.c_str())) << c.currentFolder;
            EXPECT_EQ(isProtectedFolder(c.path.c_str()), protectedFolder) << c.path << " from " << c.currentFolder;
        }
    }

    char startFolder[MAX_PATH] = {};
};

TEST_F(ProtectedFolder, RefusesEverySpellingOfAProtectedFolderAndNothingElse)
{
    expect(1, {
        {"C:\\", "c:"}, {"C:\\", "C:\\\\\\"}, {"C:\\", "D:\\"}, {"C:\\", "1:\\"}, {"T:\\", "\\"}, {"C:\\", "\\\\"},
        {"C:\\", "C:\\."}, {"C:\\windows\\temp", "..\\.."}, {"C:\\", "\\\\?\\C:\\"}, {"C:\\", "\\\\srv"},
        {"C:\\", "\\\\srv\\\\share\\"}, {"C:\\", "\\\\?\\UNC\\srv\\share"}, {"C:\\", "C:\\WINDOWS"},
        {"C:\\", "c:\\windows\\system32"}, {"C:\\", "WINDOWS"}, {"C:\\", "windows\\system32"}, {"C:\\", "\\WINDOWS"},
        {"C:\\", ".\\WINDOWS"}, {"C:\\users", "..\\windows"}, {"C:\\", "C:\\WINDOWS\\..\\WINDOWS"},
        {"C:\\", "C:/WINDOWS"}, {"C:\\", "\\\\?\\C:\\WINDOWS"}, {"C:\\", "\\\\.\\C:\\WINDOWS"}, {"C:\\", "C:\\windows."},
        {"C:\\", "C:\\windows\\syswow64"}, {"C:\\", "C:\\windows\\sysnative"}, {"C:\\", "Z:\\drive_c"},
        {"C:\\", "Z:\\drive_c\\windows"}, {"C:\\", "Z:\\drive_c\\windows\\system32"}, {"Z:\\", "drive_c\\windows"},
    });
    std::string scratch = scratchFolder();
    makeFolder(scratch + "\\WINDOWS");
    expect(0, {
        {"C:\\", "C:\\windows\\temp"}, {"C:\\", "C:\\TEMP\\"}, {"C:\\", "AB\\"}, {"C:\\", "\\\\srv\\share\\dir\\"},
        {"C:\\", scratch}, {"C:\\", "Z:\\drive_c\\windows\\temp"}, {scratch, "WINDOWS"}, {scratch, "\\WINDOWS"},
    });
    std::string deep = scratch;
    while (deep.size() < 230)
        makeFolder(deep += "\\" + std::string(40, 'd'));
    // A join longer than a path buffer matches nothing and harms nothing.
    expect(0, {{deep, std::string(PATH_BUFFER - 2, 'p')}, {deep, "x\\" + std::string(200, 'q')}});
}

} // namespace
