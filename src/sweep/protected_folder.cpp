#include "sweep/protected_folder.h"

#include <windows.h>

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"

// "C:\", "1:\" or "\" (the root of the current drive).
static int isRoot(const char* path)
{
    if (textLength(path) > 3)
        return 0;
    if (path[0] == '\\' && path[1] == '\0')
        return 1;
    return path[0] != '\0' && beginsWithNoCase(path + charLength(path), ":\\");
}

// "\\server" or "\\server\share" with no folder below the share.
static int isServerOrShare(const char* path)
{
    if (!beginsWithNoCase(path, "\\\\"))
        return 0;
    int components = 0;
    bool inComponent = false;
    for (const char* c = path; *c != '\0'; c += charLength(c)) {
        bool separator = *c == '\\' && charLength(c) == 1;
        if (!separator && !inComponent)
            ++components;
        inComponent = !separator;
    }
    return components < 3;
}

static int isNamedSystemFolder(const char* path)
{
    return equalsNoCase(path, systemFolders.windowsFolder) || equalsNoCase(path, systemFolders.systemFolder);
}

static int isProtectedSpelling(const char* path)
{
    return isRoot(path) || isServerOrShare(path) || isNamedSystemFolder(path);
}

// A plain relative path joined to the current folder.
static int joinIsSystemFolder(const char* path)
{
    char join[PATH_BUFFER] = {};
    GetCurrentDirectoryA(PATH_BUFFER, join);
    if (!normalizeFolder(join))
        return 0;
    unsigned currentLength = textLength(join);
    // A join longer than a path can be matches neither system folder.
    if (currentLength + textLength(path) >= PATH_BUFFER)
        return 0;
    lstrcpyA(join + currentLength, path);
    return isNamedSystemFolder(join);
}

// Takes "\\?\" or "\\.\" off the front, turning "\\?\UNC\" back into "\\".
static void dropDevicePrefix(char* path)
{
    if (!beginsWithNoCase(path, "\\\\?\\") && !beginsWithNoCase(path, "\\\\.\\"))
        return;
    if (beginsWithNoCase(path + 4, "UNC\\")) {
        MoveMemory(path + 2, path + 8, textLength(path + 8) + 1);
        return;
    }
    MoveMemory(path, path + 4, textLength(path + 4) + 1);
}

// The full, long form of path in folder normal form; 0 when it cannot be had.
static int resolveFolder(const char* path, char* resolved)
{
    char plain[PATH_BUFFER];
    lstrcpyA(plain, path);
    dropDevicePrefix(plain);
    DWORD length = GetFullPathNameA(plain, PATH_BUFFER, resolved, nullptr);
    if (length == 0 || length >= PATH_BUFFER)
        return 0;
    dropDevicePrefix(resolved);
    char longForm[PATH_BUFFER];
    length = GetLongPathNameA(resolved, longForm, PATH_BUFFER);
    if (length != 0 && length < PATH_BUFFER)
        lstrcpyA(resolved, longForm);
    return normalizeFolder(resolved);
}

struct FolderIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

static int readIdentity(const char* path, FolderIdentity* identity)
{
    HANDLE folder = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION information;
    int known = GetFileInformationByHandle(folder, &information);
    CloseHandle(folder);
    if (!known)
        return 0;
    identity->volume = information.dwVolumeSerialNumber;
    identity->indexHigh = information.nFileIndexHigh;
    identity->indexLow = information.nFileIndexLow;
    return 1;
}

static int isSameFolder(const FolderIdentity* identity, const char* otherPath)
{
    FolderIdentity other;
    return otherPath[0] != '\0' && readIdentity(otherPath, &other) && identity->volume == other.volume &&
           identity->indexHigh == other.indexHigh && identity->indexLow == other.indexLow;
}

// Fills root with the root of the volume that holds path; empty if unknown.
static void volumeRoot(const char* path, char* root)
{
    if (!GetVolumePathNameA(path, root, PATH_BUFFER))
        root[0] = '\0';
}

// Both System folders count: a 32-bit process on 64-bit Windows opens
// SysWOW64 as its System folder and reaches System32 as Sysnative.
static int isSystemFolderByIdentity(const FolderIdentity* identity)
{
    char path[PATH_BUFFER];
    if (isSameFolder(identity, systemFolders.systemFolder))
        return 1;
    UINT length = GetSystemWow64DirectoryA(path, PATH_BUFFER);
    if (length != 0 && length < PATH_BUFFER && isSameFolder(identity, path))
        return 1;
    unsigned windowsLength = textLength(systemFolders.windowsFolder);
    if (windowsLength + 10 >= PATH_BUFFER)
        return 0;
    lstrcpyA(path, systemFolders.windowsFolder);
    lstrcpyA(path + windowsLength, "Sysnative\\");
    return isSameFolder(identity, path);
}

// Other names for a protected folder: the same volume and file index.
static int isProtectedIdentity(const char* path)
{
    FolderIdentity identity;
    if (!readIdentity(path, &identity))
        return 0;
    char root[PATH_BUFFER];
    if (isSameFolder(&identity, systemFolders.windowsFolder) || isSystemFolderByIdentity(&identity))
        return 1;
    volumeRoot(systemFolders.windowsFolder, root);
    if (isSameFolder(&identity, root))
        return 1;
    volumeRoot(path, root);
    return isSameFolder(&identity, root);
}

int isProtectedFolder(const char* folder)
{
    char working[PATH_BUFFER];
    if (!copyWhole(working, PATH_BUFFER, folder) || !normalizeFolder(working))
        return 1;  // never the case for a folder the sweep holds; refuse what cannot be judged
    if (isProtectedSpelling(working) || joinIsSystemFolder(working))
        return 1;
    char resolved[PATH_BUFFER];
    if (resolveFolder(working, resolved) && isProtectedSpelling(resolved))
        return 1;
    return isProtectedIdentity(working);
}
