#include "sweep/entry_removal.h"

static const DWORD SETTABLE_ATTRIBUTES = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

static bool isReadOnly(const ListedEntry* entry)
{
    return (entry->attributes & FILE_ATTRIBUTE_READONLY) != 0;
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


static DWORD removeThroughHandle(const char* path, const ListedEntry* entry)
{
    DWORD access = DELETE | FILE_READ_ATTRIBUTES | (isReadOnly(entry) ? FILE_WRITE_ATTRIBUTES : 0);
    HANDLE handle = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    // A file with another name keeps its attributes: the reset would reach
    // that name too.
    BY_HANDLE_FILE_INFORMATION found;
    DWORD code = ENTRY_NOT_AS_LISTED;
    if (isListedEntry(handle, entry, &found)) {
        bool oneName = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || found.nNumberOfLinks == 1;
        code = removeOpenedEntry(handle, entry, isReadOnly(entry) && oneName);
    }
    CloseHandle(handle);
    return code;
}

// A plain file goes by its exact name, as cheaply as the platform allows:
// Windows then removes that name alone, never another name of the file nor
// the target of a link put in its place.
DWORD removeListedEntry(const char* path, const ListedEntry* entry)
{
    const DWORD needsHandle = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    if ((entry->attributes & needsHandle) == 0)
        return DeleteFileA(path) ? 0 : GetLastError();
    return removeThroughHandle(path, entry);
}

DWORD removeHeldFolder(FolderListing* listing, const ListedEntry* entry)
{
    return removeOpenedEntry(listing->folder, entry, isReadOnly(entry));
}
