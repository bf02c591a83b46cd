// Against Wine's own system: the output stream on a pipe the test reads, the
// system's error texts, and isProtectedFolder with Wine's real Windows and
// System folders from a current folder that each case sets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "console/error_text.h"
#include "console/output_stream.h"
#include "harness.h"
#include "sweep/protected_folder.h"
#include "sweep/folder_trust.h"
#include "sweep/same_day.h"
#include "sweep/trusted_way.h"

#include <sddl.h>  // after windows.h, which defines what it needs

namespace {

TEST(System, OutputStreamAndErrorTexts)
{
    resetRunRecords();
    HANDLE readEnd, writeEnd;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16));
    openConsoleStream(writeEnd);
    std::string lines(511, '\n');
    insertText(lines.c_str());
    emit("a", 0);
    EXPECT_EQ(readAvailable(readEnd), "") << "512 bytes stay buffered";
    runOptions.quiet = true;
    emit("hidden", 0);
    emit("\r\n", 1);
    EXPECT_EQ(readAvailable(readEnd), crlf(lines + "a")) << "byte 513 pushes out the block, each LF as CR LF";
    closeConsoleStream();
    EXPECT_EQ(readAvailable(readEnd), "\r\r\n") << "the rest at exit; a CR before an LF is left alone";
    openConsoleStream(INVALID_HANDLE_VALUE);
    insertText(std::string(513, 'a').c_str());
    EXPECT_TRUE(consoleStreamFailed());
    CloseHandle(readEnd);
    CloseHandle(writeEnd);

    for (DWORD code : {0u, 3u, 206u, 2099u, 2100u, 2999u, 3000u, 0x2000FFFFu}) {
        char text[MESSAGE_BUFFER] = "left over";
        systemErrorText(code, text);
        bool network = code >= 2100 && code <= 2999;
        EXPECT_EQ(text, network ? "Network text " + std::to_string(code) + ".\r\n" : systemText(code)) << code;
    }
}

// What the sweep scenarios cannot stamp: a time the file system does not
// keep, and one that is no time at all. The scenarios also run far east and
// far west of UTC.
TEST(System, StampsThatAreNoTimeSpareOnlyInDoubt)
{
    resetRunRecords();
    FILETIME now, old = {0, 0x01D4DA00}, noTime = {~0u, ~0u}, none = {0, 0};
    GetSystemTimeAsFileTime(&now);
    EXPECT_TRUE(sparedByDate(old, old, now)) << "accessed today is enough";
    EXPECT_TRUE(sparedByDate(noTime, old, old)) << "doubt spares";
    EXPECT_FALSE(sparedByDate(none, none, none)) << "no time kept is not recent, even west of UTC";
}

// Who may change a folder, from its owner and DACL as Windows keeps them
// (Wine derives both from the Unix owner and mode, so the sweep scenarios
// reach only the owner and Everyone's write): a link in it is followed only
// when no account but the running one, SYSTEM, the Administrators and
// TrustedInstaller may add, delete or rename its entries or change its DACL
// or owner. An entry that applies only to what the folder holds, a denial,
// or the right to delete the folder itself changes nothing.
TEST(System, OnlyTrustedAccountsMayChangeAFolder)
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } account;
    DWORD needed = 0;
    GetTokenInformation(token, TokenUser, &account, sizeof account, &needed);
    CloseHandle(token);
    wchar_t* running = nullptr;
    ConvertSidToStringSidW(account.user.User.Sid, &running);
    const std::wstring me = running, installer = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    LocalFree(running);
    struct {
        bool trusted;
        std::wstring sddl;
    } cases[] = {
        {true, L"O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFX;;;BU)"}, {true, L"O:SYD:(A;OICIIO;FA;;;CO)(A;OICIIO;FA;;;WD)"},
        {true, L"O:BAD:(A;;SD;;;BU)"}, {true, L"O:BAD:(D;;FA;;;WD)(A;;FR;;;WD)"}, {true, L"O:BAD:"},
        {true, L"O:BAD:(A;;FA;;;OW)"}, {true, L"O:" + me + L"D:(A;;FA;;;" + me + L")"},
        {true, L"O:" + installer + L"D:(A;;FA;;;" + installer + L")"},
        {false, L"O:BAD:(A;;0x4;;;AU)"}, {false, L"O:BAD:(A;;0x2;;;BU)"}, {false, L"O:BAD:(A;;0x40;;;WD)"},
        {false, L"O:BAD:(A;;GW;;;WD)"}, {false, L"O:BAD:(A;;GA;;;IU)"}, {false, L"O:BAD:(A;;WD;;;BU)"},
        {false, L"O:BAD:(A;;WO;;;BU)"}, {false, L"O:BAD:(A;OI;FA;;;WD)"}, {false, L"O:BUD:(A;;FA;;;BA)"},
        {false, L"O:BUD:(A;;FR;;;OW)"}, {false, L"O:S-1-5-21-1-2-3-1001D:(A;;FA;;;BA)"},
    };
    for (const auto& c : cases) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                                          nullptr));
        EXPECT_EQ(onlyTrustedMayChange(descriptor), c.trusted) << std::string(c.sddl.begin(), c.sddl.end());
        LocalFree(descriptor);
    }
    // No DACL at all lets everyone do anything (Wine's SDDL gives an empty one for it).
    SECURITY_DESCRIPTOR open;
    InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&open, account.user.User.Sid, FALSE);
    SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
    EXPECT_FALSE(onlyTrustedMayChange(&open));
}

// Whether /A refuses the folder a path reaches: by its name as a root, or
// by the folder held once the way to it is open.
int refusesAllFiles(const std::string& path)
{
    HANDLE folder = INVALID_HANDLE_VALUE;
    DWORD code = openFolderWay(wideText(path).c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE, &folder);
    int refused = wayNamedARoot() || (code == 0 && isProtectedFolder(folder));
    if (code == 0)
        CloseHandle(folder);
    releaseWay();
    return refused;
}

// Beside these, the sweep scenarios refuse C:\. and
// Z:\drive_c\windows\system32.
TEST(System, ProtectedFolderUnderEverySpellingAndNothingElse)
{
    resetRunRecords();
    setAnsiCodePage(GetACP());
    GetWindowsDirectoryA(systemFolders.windowsFolder, PATH_BUFFER);
    GetSystemDirectoryA(systemFolders.systemFolder, PATH_BUFFER);
    normalizeFolder(systemFolders.windowsFolder);
    normalizeFolder(systemFolders.systemFolder);
    ASSERT_STREQ(systemFolders.windowsFolder, "C:\\windows\\");
    std::string scratch = scratchFolder();
    makeFolder(scratch + "\\WINDOWS");
    // Links another account could make, to roots and system folders.
    std::string unixScratch = unixPathOf(scratch), prefix = std::getenv("WINEPREFIX");
    runUnixCommand("ln -s '" + std::string(std::getenv("DUSTREL_SCRATCH_UNIX")) + "' '" + unixScratch + "/to-root' && ln -s '" +
                   prefix + "/drive_c' '" + unixScratch + "/to-c' && ln -s '" + prefix + "/drive_c/windows/system32' '" +
                   unixScratch + "/to-system'");
    std::string deep = scratch;
    while (deep.size() < 230)
        makeFolder(deep += "\\" + std::string(40, 'd'));
    struct {
        int refused;
        std::string currentFolder, path;
    } cases[] = {
        {1, "C:\\", "c:"}, {1, "C:\\", "C:\\\\\\"}, {1, "C:\\", "D:\\"}, {1, "C:\\", "1:\\"}, {1, "T:\\", "\\"},
        {1, "C:\\", "\\\\"}, {1, "C:\\windows\\temp", "..\\.."}, {1, "C:\\", "\\\\?\\C:\\"}, {1, "C:\\", "\\\\srv"},
        {1, "C:\\", "\\\\srv\\\\share\\"}, {1, "C:\\", "\\\\?\\UNC\\srv\\share"}, {1, "C:\\", "C:\\WINDOWS"},
        {1, "C:\\", "c:\\windows\\system32"}, {1, "C:\\", "windows\\system32"}, {1, "C:\\", "\\WINDOWS"},
        {1, "C:\\", ".\\WINDOWS"}, {1, "C:\\users", "..\\windows"}, {1, "C:\\", "C:\\WINDOWS\\..\\WINDOWS"},
        {1, "C:\\", "C:/WINDOWS"}, {1, "C:\\", "\\\\?\\C:\\WINDOWS"}, {1, "C:\\", "\\\\.\\C:\\WINDOWS"},
        {1, "C:\\", "C:\\windows."}, {1, "C:\\", "C:\\windows\\syswow64"}, {1, "C:\\", "C:\\windows\\sysnative"},
        {1, "C:\\", "Z:\\drive_c"}, {1, "C:\\", "Z:\\drive_c\\windows"}, {1, "Z:\\", "drive_c\\windows"},
        {0, "C:\\", "C:\\windows\\temp"}, {0, "C:\\", "C:\\TEMP\\"}, {0, "C:\\", "AB\\"},
        {0, "C:\\", "\\\\srv\\share\\dir\\"}, {0, "C:\\", scratch}, {0, "C:\\", "Z:\\drive_c\\windows\\temp"},
        {0, scratch, "WINDOWS"}, {0, scratch, "\\WINDOWS"}, {1, "C:\\", "\\??\\T:\\"}, {1, "C:\\", "\\??\\T:"},
        {1, "C:\\", "\\??\\UNC\\srv\\share"}, {1, "C:\\", "\\??\\C:\\windows"}, {1, scratch, "to-root"},
        {1, scratch, "to-c"}, {1, scratch, "to-system\\"}, {0, "C:\\", "\\??\\C:\\windows\\temp"},
        // A join longer than a path buffer matches nothing and harms nothing.
        {0, deep, std::string(PATH_BUFFER - 2, 'p')}, {0, deep, "x\\" + std::string(200, 'q')},
    };
    char startFolder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, startFolder);
    for (const auto& c : cases) {
        ASSERT_TRUE(SetCurrentDirectoryA(c.currentFolder.c_str())) << c.currentFolder;
        EXPECT_EQ(refusesAllFiles(c.path), c.refused) << c.path << " from " << c.currentFolder;
    }
    SetCurrentDirectoryA(startFolder);
}

} // namespace
