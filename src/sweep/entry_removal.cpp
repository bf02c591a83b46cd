#include "sweep/entry_removal.h"

#include "common/run_records.h"
#include "sweep/open_in_folder.h"

static const DWORD SETTABLE_ATTRIBUTES = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
static const DWORD ALL_SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

static bool isReadOnly(const ListedEntry* entry)
{
    return (entry->attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

static bool isFolder(const ListedEntry* entry)
{
    return (entry->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Once the listed entry is gone, its name may lead to another: a name of the
// 8.3 form with a "~" may be another entry's short name (Wine and shares
// make them up from long names), and under Wine a name reaches an entry
// that differs from it in letter case alone. Either matters where the other
// entry would stay: a short name may belong to any entry, and letter case
// changes no temporary name, but it may change an entry's dates.
static bool mayNameAnother(const ListedEntry* entry)
{
    if (runOptions.oldOnly)
        return true;
    unsigned units = entry->wideUnits;
    if (units > 12)
        return false;
    unsigned dot = units;
    bool tilde = false;
    for (unsigned i = 0; i < units; ++i) {
        WCHAR c = entry->wideName[i];
        tilde = tilde || c == L'~';
        if (c == L'.') {
            if (dot != units)
                return false;
            dot = i;
        }
    }
    return tilde && dot >= 1 && dot <= 8 && units - dot <= 4;
}

// Times of zero leave the entry's times as they are.
static void setAttributes(HANDLE handle, DWORD attributes)
{
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
}

// Read-only entries cannot go, so the bit is cleared first, through the same
// handle, and the listed attributes come back when the removal fails.
static DWORD removeOpenedEntry(HANDLE handle, const ListedEntry* entry, bool resetReadOnly)
{
    if (resetReadOnly)
        setAttributes(handle, FILE_ATTRIBUTE_NORMAL);
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition))
        return 0;
    DWORD code = GetLastError();
    if (resetReadOnly)
        setAttributes(handle, entry->attributes & SETTABLE_ATTRIBUTES);
    return code;
}

// A folder goes when the last handle to it closes, and under Wine a file put
// into it meanwhile keeps it there without a word: a folder that is still
// there was not removed, and gets back the attributes it was listed with.
static DWORD confirmRemoved(HANDLE parent, const ListedEntry* entry, bool attributesReset)
{
    DWORD access = FILE_READ_ATTRIBUTES | (attributesReset ? FILE_WRITE_ATTRIBUTES : 0);
    DWORD code = 0;
    HANDLE handle = openInFolder(parent, entry->wideName, entry->wideUnits, access, ALL_SHARING,
                                 FILE_OPEN_FOR_BACKUP_INTENT, &code);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;  // gone, or going as soon as others let go of it
    LONGLONG index = fileIndexOf(handle);
    bool stays = index == 0 || index == entry->fileId.QuadPart;
    if (stays && attributesReset)
        setAttributes(handle, entry->attributes & SETTABLE_ATTRIBUTES);
    CloseHandle(handle);
    return stays ? ERROR_DIR_NOT_EMPTY : 0;
}

static DWORD removeThroughHandle(HANDLE parent, const ListedEntry* entry)
{
    DWORD access = DELETE | FILE_READ_ATTRIBUTES | (isReadOnly(entry) ? FILE_WRITE_ATTRIBUTES : 0);
    DWORD code = 0;
    HANDLE handle = openInFolder(parent, entry->wideName, entry->wideUnits, access, ALL_SHARING,
                                 FILE_OPEN_FOR_BACKUP_INTENT, &code);
    if (handle == INVALID_HANDLE_VALUE)
        return code;
    // A file with another name keeps its attributes: the reset would reach
    // that name too.
    OpenedIdentity found;
    bool reset = false;
    code = ENTRY_NOT_AS_LISTED;
    if (isListedEntry(handle, entry, &found)) {
        bool oneName = (found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || found.links == 1;
        reset = isReadOnly(entry) && oneName;
        code = removeOpenedEntry(handle, entry, reset);
    }
    CloseHandle(handle);
    return code == 0 && isFolder(entry) ? confirmRemoved(parent, entry, reset) : code;
}

// A plain file goes as cheaply as the platform allows: opened by its exact
// name for deletion at close, which removes that name alone, never another
// name of the file.
static DWORD deleteByName(HANDLE parent, const ListedEntry* entry)
{
    DWORD code = 0;
    HANDLE file = openInFolder(parent, entry->wideName, entry->wideUnits, DELETE, ALL_SHARING,
                               FILE_NON_DIRECTORY_FILE | FILE_DELETE_ON_CLOSE, &code);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return code;
}

DWORD removeListedEntry(HANDLE parent, const ListedEntry* entry)
{
    const DWORD needsHandle = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    if ((entry->attributes & needsHandle) == 0 && !mayNameAnother(entry))
        return deleteByName(parent, entry);
    return removeThroughHandle(parent, entry);
}

DWORD removeHeldFolder(FolderListing* listing, HANDLE parent, const ListedEntry* entry)
{
    DWORD code = removeOpenedEntry(listing->folder, entry, isReadOnly(entry));
    if (code != 0)
        restoreListedAccess(listing);  // Wine reads a folder to find it not empty
    closeListing(listing);
    return code == 0 ? confirmRemoved(parent, entry, isReadOnly(entry)) : code;
}
