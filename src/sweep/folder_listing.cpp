#include "sweep/folder_listing.h"

#include "common/ansi_text.h"

static const DWORD LISTING_SHARE = FILE_SHARE_READ | FILE_SHARE_WRITE;  // never FILE_SHARE_DELETE
static const DWORD KIND_ATTRIBUTES = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

// Reads the next block of entries; false at the end or on any failure, whose
// code is left for GetLastError.
static bool readBlock(FolderListing* listing, FILE_INFO_BY_HANDLE_CLASS kind)
{
    listing->blockRead = GetFileInformationByHandleEx(listing->folder, kind, &listing->block, LISTING_BLOCK) != 0;
    listing->nextOffset = 0;
    return listing->blockRead;
}

// Keeps the folder's access date from before the listing, as the folder
// itself holds it (a parent's listing may hold an older copy), and asks the
// handle not to update it.
static void keepAccessDate(FolderListing* listing)
{
    FILE_BASIC_INFO basic;
    if (!listing->mayRestore || !GetFileInformationByHandleEx(listing->folder, FileBasicInfo, &basic, sizeof basic)) {
        listing->mayRestore = false;
        return;
    }
    listing->accessed = basic.LastAccessTime;
    ZeroMemory(&basic, sizeof basic);  // zeros change nothing
    basic.LastAccessTime.QuadPart = -1;
    SetFileInformationByHandle(listing->folder, FileBasicInfo, &basic, sizeof basic);
}

// The first block is read at once: a folder that cannot be listed fails here.
static DWORD readFirstBlock(FolderListing* listing)
{
    keepAccessDate(listing);
    if (readBlock(listing, FileIdBothDirectoryRestartInfo))
        return 0;
    DWORD code = GetLastError();
    return code == ERROR_NO_MORE_FILES || code == ERROR_FILE_NOT_FOUND ? 0 : code;
}

// The folder the run cleans was opened through its way, with the right to
// put its access date back where the account has it; without it, that
// right's calls fail and change nothing.
DWORD startListing(FolderListing* listing, HANDLE folder)
{
    listing->mayRemove = false;
    listing->blockRead = false;
    listing->mayRestore = true;
    listing->folder = folder;
    DWORD code = readFirstBlock(listing);
    if (code != 0)
        closeListing(listing);
    return code;
}

bool isListedEntry(HANDLE handle, const ListedEntry* entry, OpenedIdentity* found)
{
    return readOpenedIdentity(handle, found) && found->index == entry->fileId.QuadPart &&
           (found->attributes & KIND_ATTRIBUTES) == (entry->attributes & KIND_ATTRIBUTES);
}

// The "." entry of the first block carries the folder's own file ID, which
// costs nothing to check; without it the handle is asked.
static bool holdsListedFolder(FolderListing* listing, const ListedEntry* entry)
{
    if (listing->blockRead) {
        const FILE_ID_BOTH_DIR_INFO* first = &listing->block.first;
        bool knownId = first->FileId.QuadPart != 0 && first->FileId.QuadPart != -1;  // -1: too long for 64 bits
        if (first->FileNameLength == sizeof(WCHAR) && first->FileName[0] == L'.' && knownId)
            return first->FileId.QuadPart == entry->fileId.QuadPart &&
                   (first->FileAttributes & KIND_ATTRIBUTES) == FILE_ATTRIBUTE_DIRECTORY;
    }
    OpenedIdentity found;
    return isListedEntry(listing->folder, entry, &found);
}

static HANDLE openSubFolder(HANDLE parent, const ListedEntry* entry, DWORD access, DWORD* code)
{
    return openInFolder(parent, entry->wideName, entry->wideUnits,
                        access | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, LISTING_SHARE,
                        FILE_OPEN_FOR_BACKUP_INTENT, code);
}

DWORD openListedFolder(FolderListing* listing, HANDLE parent, const ListedEntry* entry, bool forRemoval)
{
    DWORD code = 0;
    listing->blockRead = false;
    listing->mayRemove = forRemoval;
    listing->mayRestore = true;
    listing->folder = openSubFolder(parent, entry, (forRemoval ? DELETE : 0) | FILE_WRITE_ATTRIBUTES, &code);
    if (listing->folder == INVALID_HANDLE_VALUE) {
        // Another process may hold it so that it cannot go; its entries still can.
        listing->mayRemove = false;
        listing->mayRestore = false;
        listing->folder = openSubFolder(parent, entry, 0, &code);
        if (listing->folder == INVALID_HANDLE_VALUE)
            return code;
    }
    code = readFirstBlock(listing);
    if (code == 0 && !holdsListedFolder(listing, entry))
        code = ENTRY_NOT_AS_LISTED;
    if (code != 0)
        closeListing(listing);
    return code;
}

static FILETIME fileTime(LARGE_INTEGER stamp)
{
    return FILETIME{stamp.LowPart, static_cast<DWORD>(stamp.HighPart)};
}

static void takeEntry(const FILE_ID_BOTH_DIR_INFO* listed, ListedEntry* entry)
{
    entry->wideName = listed->FileName;
    entry->wideUnits = listed->FileNameLength / sizeof(WCHAR);
    entry->reachable = readListedName(entry->wideName, entry->wideUnits, entry->name);
    entry->nameLength = textLength(entry->name);
    entry->attributes = listed->FileAttributes;
    entry->fileId = listed->FileId;
    entry->created = fileTime(listed->CreationTime);
    entry->modified = fileTime(listed->LastWriteTime);
    entry->accessed = fileTime(listed->LastAccessTime);
    entry->size = static_cast<ULONGLONG>(listed->EndOfFile.QuadPart);
}

bool nextListedEntry(FolderListing* listing, ListedEntry* entry)
{
    if (!listing->blockRead && !readBlock(listing, FileIdBothDirectoryInfo))
        return false;
    const FILE_ID_BOTH_DIR_INFO* listed =
        reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(listing->block.bytes + listing->nextOffset);
    takeEntry(listed, entry);
    if (listed->NextEntryOffset == 0)
        listing->blockRead = false;
    else
        listing->nextOffset += listed->NextEntryOffset;
    return true;
}

void restoreListedAccess(FolderListing* listing)
{
    if (!listing->mayRestore || listing->folder == INVALID_HANDLE_VALUE)
        return;
    FILE_BASIC_INFO basic = {};  // times of zero stay as they are
    basic.LastAccessTime = listing->accessed;
    SetFileInformationByHandle(listing->folder, FileBasicInfo, &basic, sizeof basic);
}

void closeListing(FolderListing* listing)
{
    if (listing->folder != INVALID_HANDLE_VALUE)
        CloseHandle(listing->folder);
    listing->folder = INVALID_HANDLE_VALUE;
    listing->blockRead = false;
}
