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

// The first block is read at once: a folder that cannot be listed fails here.
static DWORD readFirstBlock(FolderListing* listing)
{
    if (readBlock(listing, FileIdBothDirectoryRestartInfo))
        return 0;
    DWORD code = GetLastError();
    return code == ERROR_NO_MORE_FILES || code == ERROR_FILE_NOT_FOUND ? 0 : code;
}

static HANDLE openFolder(const char* folder, DWORD access, DWORD flags)
{
    return CreateFileA(folder, access | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, LISTING_SHARE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

DWORD openTargetFolder(FolderListing* listing, const char* folder)
{
    listing->mayRemove = false;
    listing->blockRead = false;
    listing->folder = openFolder(folder, 0, 0);
    if (listing->folder == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code;  // a folder is a path
    }
    // Everything walked below it is on this volume.
    BY_HANDLE_FILE_INFORMATION found = {};
    DWORD code = GetFileInformationByHandle(listing->folder, &found) ? readFirstBlock(listing) : GetLastError();
    listing->volume = found.dwVolumeSerialNumber;
    if (code != 0)
        closeListing(listing);
    return code;
}

bool isListedEntry(HANDLE handle, const ListedEntry* entry, BY_HANDLE_FILE_INFORMATION* found)
{
    return GetFileInformationByHandle(handle, found) && found->dwVolumeSerialNumber == entry->volume &&
           found->nFileIndexHigh == static_cast<DWORD>(entry->fileId.HighPart) &&
           found->nFileIndexLow == entry->fileId.LowPart &&
           (found->dwFileAttributes & KIND_ATTRIBUTES) == (entry->attributes & KIND_ATTRIBUTES);
}

// The "." entry of the first block carries the folder's own file ID, which
// costs nothing to check; without it the handle is asked, volume and all.
// A folder opened by a name in a held folder without following links is on
// that folder's volume; asking for the volume would cost every folder a
// round trip to the mount manager under Wine.
static bool holdsListedFolder(FolderListing* listing, const ListedEntry* entry)
{
    if (listing->blockRead) {
        const FILE_ID_BOTH_DIR_INFO* first = &listing->block.first;
        bool knownId = first->FileId.QuadPart != 0 && first->FileId.QuadPart != -1;  // -1: too long for 64 bits
        if (first->FileNameLength == sizeof(WCHAR) && first->FileName[0] == L'.' && knownId)
            return first->FileId.QuadPart == entry->fileId.QuadPart &&
                   (first->FileAttributes & KIND_ATTRIBUTES) == FILE_ATTRIBUTE_DIRECTORY;
    }
    BY_HANDLE_FILE_INFORMATION found;
    return isListedEntry(listing->folder, entry, &found);
}

DWORD openListedFolder(FolderListing* listing, const char* folder, const ListedEntry* entry, bool forRemoval)
{
    const DWORD removal = DELETE | ((entry->attributes & FILE_ATTRIBUTE_READONLY) ? FILE_WRITE_ATTRIBUTES : 0);
    listing->blockRead = false;
    listing->mayRemove = forRemoval;
    listing->volume = entry->volume;
    listing->folder = forRemoval ? openFolder(folder, removal, FILE_FLAG_OPEN_REPARSE_POINT) : INVALID_HANDLE_VALUE;
    if (listing->folder == INVALID_HANDLE_VALUE) {
        // Another process may hold it so that it cannot go; its entries still can.
        listing->mayRemove = false;
        listing->folder = openFolder(folder, 0, FILE_FLAG_OPEN_REPARSE_POINT);
        if (listing->folder == INVALID_HANDLE_VALUE)
            return GetLastError();
    }
    DWORD code = readFirstBlock(listing);
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

static void takeEntry(const FolderListing* listing, const FILE_ID_BOTH_DIR_INFO* listed, ListedEntry* entry)
{
    entry->reachable = readListedName(listed->FileName, listed->FileNameLength / sizeof(WCHAR), entry->name);
    entry->nameLength = textLength(entry->name);
    entry->attributes = listed->FileAttributes;
    entry->fileId = listed->FileId;
    entry->volume = listing->volume;
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
    takeEntry(listing, listed, entry);
    if (listed->NextEntryOffset == 0)
        listing->blockRead = false;
    else
        listing->nextOffset += listed->NextEntryOffset;
    return true;
}

void closeListing(FolderListing* listing)
{
    if (listing->folder != INVALID_HANDLE_VALUE)
        CloseHandle(listing->folder);
    listing->folder = INVALID_HANDLE_VALUE;
    listing->blockRead = false;
}
