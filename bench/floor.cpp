// The benchmark's floor: the least a sweep of a benchmark tree can cost on
// this platform. It makes only the calls that no sweep can avoid
// (FindFirstFileA/FindNextFileA/FindClose, DeleteFileA, RemoveDirectoryA),
// depth first, and writes nothing.
//
//     dustrel_floor FOLDER
//
// At the top level it takes the entries whose names start with "~" (the
// benchmark trees name everything else so that it does not qualify); below
// that it takes everything. The exit code is the number of failed calls,
// so that a run which left something behind does not pass for a fast one.
#include <windows.h>

static DWORD failures;

static void removeContents(char* path, unsigned length, bool topLevel)
{
    if (length + 4 > MAX_PATH) {
        ++failures;
        return;
    }
    CopyMemory(path + length, "*.*", 4);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(path, &entry);
    if (search == INVALID_HANDLE_VALUE) {
        ++failures;
        return;
    }
    do {
        const char* name = entry.cFileName;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (topLevel && name[0] != '~')
            continue;
        unsigned nameLength = lstrlenA(name);
        if (length + nameLength + 2 > MAX_PATH) {
            ++failures;
            continue;
        }
        CopyMemory(path + length, name, nameLength + 1);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            path[length + nameLength] = '\\';
            removeContents(path, length + nameLength + 1, false);
            path[length + nameLength] = '\0';
            if (!RemoveDirectoryA(path))
                ++failures;
        } else if (!DeleteFileA(path)) {
            ++failures;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

int main(int count, char** arguments)
{
    if (count != 2)
        return -1;
    char path[MAX_PATH + 1];
    unsigned length = lstrlenA(arguments[1]);
    if (length == 0 || length + 2 > MAX_PATH)
        return -1;
    CopyMemory(path, arguments[1], length + 1);
    if (path[length - 1] != '\\')
        path[length++] = '\\';
    removeContents(path, length, true);
    return static_cast<int>(failures);
}
