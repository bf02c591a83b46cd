#include "common/folder_path.h"

#include "common/ansi_text.h"
#include "common/run_records.h"

// The length of path without its trailing backslashes. Steps over whole
// characters: the trail byte of a double-byte character may be 0x5C and is
// still not a backslash.
static unsigned lengthBeforeTrailingBackslashes(const char* path)
{
    unsigned keep = 0;
    unsigned position = 0;
    while (path[position] != '\0') {
        unsigned length = charLength(path + position);
        position += length;
        if (length == 2 || path[position - 1] != '\\')
            keep = position;
    }
    return keep;
}

int copyFolderInNormalForm(char* folder, const char* path)
{
    unsigned keep = lengthBeforeTrailingBackslashes(path);
    if (keep + 1 > PATH_BUFFER - 1)
        return 0;
    MoveMemory(folder, path, keep);
    folder[keep] = '\\';
    folder[keep + 1] = '\0';
    return 1;
}

int normalizeFolder(char* path)
{
    return copyFolderInNormalForm(path, path);
}

unsigned normalizeWideFolder(WCHAR* path)
{
    unsigned units = 0;
    while (path[units] != L'\0')
        ++units;
    while (units > 0 && path[units - 1] == L'\\')
        --units;
    if (units + 1 > LONGEST_PATH)
        return 0;
    path[units] = L'\\';
    path[units + 1] = L'\0';
    return units + 1;
}
