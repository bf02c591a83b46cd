#include "sweep/protected_folder.h"

#include <winternl.h>

#include "common/run_records.h"

enum {
    SYSTEM_PATH_UNITS = MAX_PATH + 16,
    MOST_PROTECTED = 5,
    FINAL_PATH_UNITS = 32768,
};

struct FolderIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

static FolderIdentity protectedFolders[MOST_PROTECTED];
static unsigned protectedCount;
static bool protectedKnown;
static WCHAR finalPath[FINAL_PATH_UNITS];

static bool readIdentity(HANDLE folder, FolderIdentity* identity)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(folder, &information))
        return false;
    *identity = FolderIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
    return true;
}

static void addProtected(const WCHAR* path, UINT units)
{
    if (units == 0 || units >= SYSTEM_PATH_UNITS || protectedCount == MOST_PROTECTED)
        return;
    HANDLE folder = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return;
    if (readIdentity(folder, &protectedFolders[protectedCount]))
        ++protectedCount;
    CloseHandle(folder);
}

static UINT appendName(WCHAR* path, UINT units, const WCHAR* name)
{
    if (units == 0 || units + 12 >= SYSTEM_PATH_UNITS)
        return 0;
    if (path[units - 1] != L'\\')
        path[units++] = L'\\';
    for (; *name != L'\0'; ++name)
        path[units++] = *name;
    path[units] = L'\0';
    return units;
}

// The Windows folder, both System folders (a 32-bit process on 64-bit
// Windows may reach System32 as Sysnative) and the root of the Windows
// folder's volume, as the platform names them: read once.
static void findProtectedFolders()
{
    WCHAR path[SYSTEM_PATH_UNITS];
    WCHAR root[SYSTEM_PATH_UNITS];
    protectedKnown = true;
    UINT windowsUnits = GetWindowsDirectoryW(path, SYSTEM_PATH_UNITS);
    addProtected(path, windowsUnits);
    if (windowsUnits != 0 && windowsUnits < SYSTEM_PATH_UNITS && GetVolumePathNameW(path, root, SYSTEM_PATH_UNITS))
        addProtected(root, 1);
    addProtected(path, appendName(path, windowsUnits, L"Sysnative"));
    addProtected(path, GetSystemDirectoryW(path, SYSTEM_PATH_UNITS));
    addProtected(path, GetSystemWow64DirectoryW(path, SYSTEM_PATH_UNITS));
}

// Its name within its volume is "\": a volume root, however reached.
static bool isVolumeRoot(HANDLE folder)
{
    union {
        FILE_NAME_INFO name;
        BYTE bytes[sizeof(FILE_NAME_INFO) + 8];
    } found;
    if (!GetFileInformationByHandleEx(folder, FileNameInfo, &found, sizeof found))
        return false;  // longer than a root's name
    return found.name.FileNameLength == sizeof(WCHAR) && found.name.FileName[0] == L'\\';
}

// "\\?\UNC\server\share" with nothing below the share.
static bool isShareRoot(HANDLE folder)
{
    DWORD units = GetFinalPathNameByHandleW(folder, finalPath, FINAL_PATH_UNITS, FILE_NAME_NORMALIZED);
    const WCHAR* prefix = L"\\\\?\\UNC\\";
    if (units == 0 || units >= FINAL_PATH_UNITS || CompareStringOrdinal(finalPath, 8, prefix, 8, TRUE) != CSTR_EQUAL)
        return false;
    unsigned separators = 0;
    for (DWORD at = 8; at < units; ++at) {
        if (finalPath[at] == L'\\' && at + 1 < units)
            ++separators;
    }
    return separators < 2;
}

int isProtectedFolder(HANDLE folder)
{
    if (!protectedKnown)
        findProtectedFolders();
    FolderIdentity identity;
    if (!readIdentity(folder, &identity))
        return 1;  // what cannot be told apart is refused
    for (unsigned i = 0; i < protectedCount; ++i) {
        const FolderIdentity& other = protectedFolders[i];
        if (identity.volume == other.volume && identity.indexHigh == other.indexHigh &&
            identity.indexLow == other.indexLow)
            return 1;
    }
    return isVolumeRoot(folder) || isShareRoot(folder);
}
