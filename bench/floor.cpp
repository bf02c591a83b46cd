// The benchmark's floor: the least a sweep of a benchmark tree can cost on
// this platform. It makes only the calls that no sweep can avoid
// (FindFirstFileW/FindNextFileW/FindClose, DeleteFileW, RemoveDirectoryW),
// depth first, and writes nothing. Paths go in the "\\?\" form, so that
// names outside the code page and paths past 260 characters cost it what
// they cost anyone.
//
//     dustrel_floor FOLDER
//
// At the top level it takes the entries whose names start with "~" (the
// benchmark trees name everything else so that it does not qualify); below
// that it takes everything. The exit code is the number of failed calls,
// so that a run which left something behind does not pass for a fast one.
#include <windows.h>

enum { LONGEST_PATH = 32768 };

static DWORD failures;
static WCHAR path[LONGEST_PATH];

static void removeContents(unsigned length, bool topLevel)
{
    if (length + 4 > LONGEST_PATH) {
        ++failures;
        return;
    }
    CopyMemory(path + length, L"*.*", 4 * sizeof(WCHAR));
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(path, &entry);
    if (search == INVALID_HANDLE_VALUE) {
        ++failures;
        return;
    }
    do {
        const WCHAR* name = entry.cFileName;
        if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0')))
            continue;
        if (topLevel && name[0] != L'~')
            continue;
        unsigned nameLength = lstrlenW(name);
        if (length + nameLength + 2 > LONGEST_PATH) {
            ++failures;
            continue;
        }
        CopyMemory(path + length, name, (nameLength + 1) * sizeof(WCHAR));
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            path[length + nameLength] = L'\\';
            removeContents(length + nameLength + 1, false);
            path[length + nameLength] = L'\0';
            if (!RemoveDirectoryW(path))
                ++failures;
        } else if (!DeleteFileW(path)) {
            ++failures;
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

int main(int count, char** arguments)
{
    if (count != 2)
        return -1;
    lstrcpyW(path, L"\\\\?\\");
    unsigned length = 4;
    int converted = MultiByteToWideChar(CP_ACP, 0, arguments[1], -1, path + length, LONGEST_PATH - length - 2);
    if (converted <= 1)
        return -1;
    length += converted - 1;
    if (path[length - 1] != L'\\')
        path[length++] = L'\\';
    removeContents(length, true);
    return static_cast<int>(failures);
}
