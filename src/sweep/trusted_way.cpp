#include "sweep/trusted_way.h"

#include <winternl.h>

#include "common/exact_ansi.h"
#include "sweep/folder_trust.h"
#include "sweep/open_in_folder.h"

enum {
    MOST_HELD = LONGEST_PATH / 2 + 1,  // each folder takes a name and a backslash at least
    FINAL_PATH_UNITS = LONGEST_PATH + 16,
};

static const DWORD WAY_SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE;  // never FILE_SHARE_DELETE
static const DWORD WAY_ACCESS = FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL;

static WCHAR fullPath[LONGEST_PATH + 1];
static WCHAR rootName[LONGEST_PATH + 8];  // the root as the platform names it: \??\C:\ or \??\UNC\server\share\ ...
static unsigned rootUnits;
static char shownLink[SHOWN_PATH_BUFFER];
static HANDLE held[MOST_HELD];
static unsigned heldCount;
static unsigned linkEnd;
static bool namedRoot;
// Every step's final path is checked, not only its tag: a link that shows
// no tag (Wine reaches through Unix links) was found on the way.
static bool carefulWay;
// The final path of the folder held last, and of the entry opened in it.
static WCHAR heldFinalPath[FINAL_PATH_UNITS];
static unsigned heldFinalUnits;
static WCHAR openedFinalPath[FINAL_PATH_UNITS];
static WCHAR namedFinalPath[FINAL_PATH_UNITS];  // where the path says the way leads

static bool isSeparator(WCHAR c)
{
    return c == L'\\' || c == L'/';
}

static bool startsWith(const WCHAR* text, const WCHAR* prefix)
{
    for (; *prefix != L'\0'; ++text, ++prefix) {
        if (*text != *prefix)
            return false;
    }
    return true;
}

static void copyUnits(WCHAR* to, const WCHAR* from, unsigned units)
{
    CopyMemory(to, from, units * sizeof(WCHAR));
}

// The full path as the platform would read path: "\??\" as it stands,
// anything else made absolute by the usual rules.
static DWORD takeFullPath(const WCHAR* path)
{
    if (startsWith(path, L"\\??\\")) {
        unsigned units = 0;
        while (path[units] != L'\0' && units < LONGEST_PATH)
            ++units;
        if (path[units] != L'\0')
            return ERROR_FILENAME_EXCED_RANGE;
        copyUnits(fullPath, path, units + 1);
        return 0;
    }
    DWORD units = GetFullPathNameW(path, LONGEST_PATH + 1, fullPath, nullptr);
    if (units == 0)
        return GetLastError();
    return units > LONGEST_PATH ? ERROR_FILENAME_EXCED_RANGE : 0;
}

// The end of the component count components after start: at its
// separator, or at the end of the path.
static unsigned componentsEnd(unsigned start, unsigned count)
{
    unsigned at = start;
    for (; count > 0; --count) {
        if (fullPath[at] == L'\0' || isSeparator(fullPath[at]))
            return 0;  // an empty component: no root
        while (fullPath[at] != L'\0' && !isSeparator(fullPath[at]))
            ++at;
        if (count > 1 && fullPath[at] != L'\0')
            ++at;
    }
    return at;
}

// Writes the root's platform name into rootName and returns its length in
// fullPath (its separator included); 0 when the path has no root.
static unsigned takeRoot()
{
    const WCHAR* prefix = L"\\??\\";
    unsigned start = 0;
    unsigned count = 1;
    if (startsWith(fullPath, L"\\??\\") || startsWith(fullPath, L"\\\\?\\") || startsWith(fullPath, L"\\\\.\\")) {
        start = 4;
    } else if (isSeparator(fullPath[0]) && isSeparator(fullPath[1])) {
        start = 2;
        count = 2;
        prefix = L"\\??\\UNC\\";
    } else if (fullPath[0] == L'\0' || fullPath[1] != L':') {
        return 0;
    }
    if (start == 4 && startsWith(fullPath + 4, L"UNC\\")) {
        start = 8;
        count = 2;
        prefix = L"\\??\\UNC\\";
    }
    unsigned end = componentsEnd(start, count);
    if (end == 0) {
        namedRoot = count == 2;  // a server without a share, or no server at all
        return 0;
    }
    unsigned prefixUnits = static_cast<unsigned>(lstrlenW(prefix));
    copyUnits(rootName, prefix, prefixUnits);
    copyUnits(rootName + prefixUnits, fullPath + start, end - start);
    rootUnits = prefixUnits + end - start + 1;
    rootName[rootUnits - 1] = L'\\';
    rootName[rootUnits] = L'\0';
    return fullPath[end] == L'\0' ? end : end + 1;
}

static HANDLE openWayEntry(HANDLE folder, const WCHAR* name, unsigned units, DWORD access, DWORD options, DWORD* code)
{
    NamedOpen open = {folder, access, WAY_SHARING, FILE_OPEN, options | FILE_OPEN_FOR_BACKUP_INTENT, true};
    return openByName(&open, name, units, code);
}

// Some folders let an account pass through without reading their owner.
static HANDLE openFolder(HANDLE folder, const WCHAR* name, unsigned units, DWORD access, DWORD options, DWORD* code)
{
    HANDLE opened = openWayEntry(folder, name, units, access, options | FILE_DIRECTORY_FILE, code);
    if (opened == INVALID_HANDLE_VALUE && *code == ERROR_ACCESS_DENIED)
        opened = openWayEntry(folder, name, units, access & ~READ_CONTROL, options | FILE_DIRECTORY_FILE, code);
    return opened;
}

static unsigned finalPathOf(HANDLE handle, WCHAR* path)
{
    DWORD units = GetFinalPathNameByHandleW(handle, path, FINAL_PATH_UNITS, FILE_NAME_NORMALIZED);
    return units < FINAL_PATH_UNITS ? units : 0;
}

// A junction, symbolic link or mount point, opened as itself: the tag says
// it stands for another name. Other reparse points are plain entries.
static bool isNameSurrogate(HANDLE handle)
{
    FILE_ATTRIBUTE_TAG_INFO tag;
    return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
           (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag.ReparseTag);
}

// The final path of the folder held last, asked only when needed.
static void readHeldFinalPath()
{
    if (heldFinalUnits == 0 && heldCount > 0)
        heldFinalUnits = finalPathOf(held[heldCount - 1], heldFinalPath);
}

bool reachesAnotherPath(HANDLE opened, const WCHAR* name, unsigned nameUnits)
{
    if (isNameSurrogate(opened))
        return true;
    readHeldFinalPath();
    unsigned units = finalPathOf(opened, openedFinalPath);
    if (units == 0 || heldFinalUnits == 0)
        return false;  // where the platform keeps no final path, the tag alone tells
    // Where the platform reaches through a link, the handle is the target's
    // and its final path tells where it leads.
    unsigned separator = heldFinalPath[heldFinalUnits - 1] == L'\\' ? 0 : 1;
    if (units != heldFinalUnits + separator + nameUnits ||
        CompareStringOrdinal(openedFinalPath, static_cast<int>(heldFinalUnits), heldFinalPath,
                             static_cast<int>(heldFinalUnits), TRUE) != CSTR_EQUAL ||
        (separator && openedFinalPath[heldFinalUnits] != L'\\'))
        return true;
    return CompareStringOrdinal(openedFinalPath + heldFinalUnits + separator, static_cast<int>(nameUnits), name,
                                static_cast<int>(nameUnits), TRUE) != CSTR_EQUAL;
}

static void holdFolder(HANDLE folder)
{
    held[heldCount++] = folder;
    heldFinalUnits = 0;
}

// Whether what handle reaches lies where fullPath, up to end, says: the
// root's final path and the names after it. One comparison for the whole
// way, as long as no link hides on it.
static bool liesAsNamed(HANDLE handle, unsigned rootEnd, unsigned end)
{
    unsigned units = finalPathOf(held[0], namedFinalPath);
    unsigned reached = finalPathOf(handle, openedFinalPath);
    if (units == 0 || reached == 0)
        return true;  // where the platform keeps no final path, the tags alone tell
    for (unsigned at = rootEnd; at < end; ++at) {
        bool separator = isSeparator(fullPath[at]);
        if (separator && namedFinalPath[units - 1] == L'\\')
            continue;
        if (units == FINAL_PATH_UNITS)
            return false;
        namedFinalPath[units++] = separator ? L'\\' : fullPath[at];
    }
    if (units > reached && namedFinalPath[units - 1] == L'\\')
        --units;  // a root's final path ends in a backslash, a folder's does not
    return units == reached && CompareStringOrdinal(namedFinalPath, static_cast<int>(units), openedFinalPath,
                                                    static_cast<int>(reached), TRUE) == CSTR_EQUAL;
}

// Opens the root by its platform name; the way holds it when opened is
// nullptr.
static DWORD openRoot(DWORD access, HANDLE* opened)
{
    DWORD code = 0;
    HANDLE root = openWayEntry(nullptr, rootName, rootUnits, access, FILE_DIRECTORY_FILE, &code);
    if (root == INVALID_HANDLE_VALUE)
        return code;
    if (opened != nullptr)
        *opened = root;
    else
        holdFolder(root);
    return 0;
}

static DWORD openRoot()
{
    return openRoot(WAY_ACCESS, nullptr);
}

// Opens the next folder by name in the folder held last; a link is
// followed only where that folder is trusted. Returns the handle or
// INVALID_HANDLE_VALUE with the code.
static HANDLE openNext(const WCHAR* name, unsigned units, DWORD access, DWORD* code)
{
    HANDLE parent = held[heldCount - 1];
    HANDLE opened = openFolder(parent, name, units, access, FILE_OPEN_REPARSE_POINT, code);
    if (opened == INVALID_HANDLE_VALUE)
        return opened;
    if (!(carefulWay ? reachesAnotherPath(opened, name, units) : isNameSurrogate(opened)))
        return opened;
    bool asItself = isNameSurrogate(opened);
    if (!onlyTrustedCanChange(parent)) {
        CloseHandle(opened);
        linkEnd = static_cast<unsigned>(name - fullPath) + units;
        *code = LINK_NOT_FOLLOWED;
        return INVALID_HANDLE_VALUE;
    }
    if (!asItself)
        return opened;  // the platform reached through it already
    CloseHandle(opened);
    return openFolder(parent, name, units, access, 0, code);
}

// Walks fullPath from its root through every component but the last,
// holding each folder; *last receives the last component, empty when the
// path names a root, and *rootEnd where the root ends.
static DWORD walkToLast(const WCHAR** last, unsigned* lastUnits, unsigned* rootEnd)
{
    releaseWay();
    unsigned at = takeRoot();
    *rootEnd = at;
    if (at == 0)
        return ERROR_INVALID_NAME;
    unsigned rest = at;
    while (isSeparator(fullPath[rest]))
        ++rest;
    namedRoot = fullPath[rest] == L'\0';
    DWORD code = openRoot();
    while (code == 0) {
        while (isSeparator(fullPath[at]))
            ++at;
        unsigned end = at;
        while (fullPath[end] != L'\0' && !isSeparator(fullPath[end]))
            ++end;
        unsigned after = end;
        while (isSeparator(fullPath[after]))
            ++after;
        *last = fullPath + at;
        *lastUnits = end - at;
        if (end == at)
            return 0;
        if (fullPath[after] == L'\0')
            return 0;
        if (heldCount == MOST_HELD)
            return ERROR_FILENAME_EXCED_RANGE;
        HANDLE next = openNext(fullPath + at, end - at, WAY_ACCESS, &code);
        if (next != INVALID_HANDLE_VALUE)
            holdFolder(next);
        else if (code == ERROR_FILE_NOT_FOUND)
            code = ERROR_PATH_NOT_FOUND;  // a folder on the way is missing
        at = end;
    }
    return code;
}

// The way is walked trusting the tags of what it opens, and the end
// reached is checked against the path once; where they differ, a link
// hides on the way, and it is walked again checking every step.
DWORD openFolderWay(const WCHAR* path, DWORD access, HANDLE* folder)
{
    *folder = INVALID_HANDLE_VALUE;
    namedRoot = false;
    DWORD code = takeFullPath(path);
    for (carefulWay = false; code == 0; carefulWay = true) {
        const WCHAR* last = nullptr;
        unsigned lastUnits = 0;
        unsigned rootEnd = 0;
        code = walkToLast(&last, &lastUnits, &rootEnd);
        if (code == 0 && lastUnits == 0)
            return openRoot(access, folder);
        if (code == 0)
            *folder = openNext(last, lastUnits, access, &code);
        unsigned end = static_cast<unsigned>(last - fullPath) + lastUnits;
        if (code != 0 || carefulWay || liesAsNamed(*folder, rootEnd, end))
            break;
        CloseHandle(*folder);
        *folder = INVALID_HANDLE_VALUE;
    }
    return code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code;  // a folder is a path
}

DWORD openParentWay(const WCHAR* path, HANDLE* folder, const WCHAR** name, unsigned* nameUnits)
{
    namedRoot = false;
    DWORD code = takeFullPath(path);
    for (carefulWay = false; code == 0; carefulWay = true) {
        unsigned rootEnd = 0;
        code = walkToLast(name, nameUnits, &rootEnd);
        if (code == 0 && (*nameUnits == 0 || (*name)[*nameUnits] != L'\0'))
            code = ERROR_INVALID_NAME;  // a root, or a name that a backslash ends, is no file
        unsigned end = code == 0 ? static_cast<unsigned>(*name - fullPath) : 0;
        if (code != 0 || carefulWay || liesAsNamed(held[heldCount - 1], rootEnd, end))
            break;
    }
    *folder = code == 0 ? held[heldCount - 1] : INVALID_HANDLE_VALUE;
    return code;
}

const char* shownUntrustedLink()
{
    readExactly(fullPath, linkEnd, shownLink, sizeof shownLink, nullptr);
    return shownLink;
}

bool wayNamedARoot()
{
    return namedRoot;
}

void releaseWay()
{
    while (heldCount > 0)
        CloseHandle(held[--heldCount]);
    heldFinalUnits = 0;
}
