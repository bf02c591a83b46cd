#include "sweep/held_ancestors.h"

#include <windows.h>

#include "common/ansi_text.h"
#include "common/run_records.h"

enum { MOST_ANCESTORS = PATH_BUFFER / 2 };  // each one takes a name and a backslash at least

static HANDLE ancestors[MOST_ANCESTORS];
static unsigned ancestorCount;

// The length of the root: "C:\", "\\server\share\", "\\?\C:\", "\\?\UNC\server\share\".
static unsigned rootLength(const char* path)
{
    unsigned start = 0;
    unsigned separators = 1;  // the backslashes that end the root
    if (beginsWithNoCase(path, "\\\\?\\UNC\\")) {
        start = 8;
        separators = 2;
    } else if (beginsWithNoCase(path, "\\\\?\\") || beginsWithNoCase(path, "\\\\.\\")) {
        start = 4;
    } else if (beginsWithNoCase(path, "\\\\")) {
        start = 2;
        separators = 2;
    }
    for (unsigned at = start; path[at] != '\0'; at += charLength(path + at)) {
        if (path[at] == '\\' && charLength(path + at) == 1 && --separators == 0)
            return at + 1;
    }
    return textLength(path);
}

static void holdFolder(const char* path)
{
    if (ancestorCount == MOST_ANCESTORS)
        return;
    HANDLE folder = CreateFileA(path, FILE_LIST_DIRECTORY | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder != INVALID_HANDLE_VALUE)
        ancestors[ancestorCount++] = folder;
}

void holdAncestors(const char* folder)
{
    char path[PATH_BUFFER];
    DWORD length = GetFullPathNameA(folder, PATH_BUFFER, path, nullptr);
    if (length == 0 || length >= PATH_BUFFER)
        return;
    for (unsigned at = rootLength(path); path[at] != '\0'; at += charLength(path + at)) {
        if (path[at] != '\\' || charLength(path + at) != 1 || path[at + 1] == '\0')
            continue;
        path[at] = '\0';
        holdFolder(path);
        path[at] = '\\';
    }
}

void releaseAncestors()
{
    while (ancestorCount > 0)
        CloseHandle(ancestors[--ancestorCount]);
}
