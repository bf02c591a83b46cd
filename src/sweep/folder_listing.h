// A folder held open while the sweep walks it, and its entries as the file
// system lists them through that handle. The handle shares reading and
// writing but not deletion, so no process can rename or replace the folder
// while it is walked; a sub-folder is held only when it is the very folder
// its parent listed.
#pragma once

#include <windows.h>

#include "sweep/listed_name.h"
#include "sweep/open_in_folder.h"

enum {
    LISTING_BLOCK = 8192,
    ENTRY_NOT_AS_LISTED = ERROR_CANT_ACCESS_FILE,  // the entry at that name is not the one listed
};

struct ListedEntry {
    char name[LISTED_NAME_BUFFER];  // the exact ANSI name, or its shown form when unreachable
    unsigned nameLength;
    const WCHAR* wideName;          // the name as listed, in the listing's block
    unsigned wideUnits;
    int reachable;                  // the name reaches exactly this entry
    DWORD attributes;
    LARGE_INTEGER fileId;
    FILETIME created;
    FILETIME modified;
    FILETIME accessed;
    ULONGLONG size;                 // of a file's data, as listed
};

struct FolderListing {
    HANDLE folder;
    bool mayRemove;    // opened with the access that removing it needs
    bool mayRestore;   // opened with the access that putting its access date back needs
    LARGE_INTEGER accessed;  // the folder's last-access time before it was listed
    bool blockRead;    // the block holds entries not yet handed out
    DWORD nextOffset;  // of the next entry in the block
    union {
        FILE_ID_BOTH_DIR_INFO first;
        unsigned char bytes[LISTING_BLOCK];
    } block;
};

// Lists the folder that handle holds (opened for listing, sharing no
// deletion); the listing closes it. Returns 0 or the code of a folder that
// cannot be listed.
DWORD startListing(FolderListing* listing, HANDLE folder);

// A sub-folder listed as entry in the folder that parent holds, opened by
// its name there without following links, and for its access date to be put
// back when it can be. With forRemoval it is also opened for its removal
// when it can be. Returns 0, the code of a folder that cannot be listed, or
// ENTRY_NOT_AS_LISTED.
DWORD openListedFolder(FolderListing* listing, HANDLE parent, const ListedEntry* entry, bool forRemoval);

// Fills entry with the next entry of the folder; false at the end.
bool nextListedEntry(FolderListing* listing, ListedEntry* entry);

// Listing a folder updates its last-access date where the file system keeps
// one; the handle asks it not to, which Windows honours and Wine does not.
// This puts the date from before the listing back, for a folder that stays.
void restoreListedAccess(FolderListing* listing);

void closeListing(FolderListing* listing);

// Identity of what handle reaches against the entry listed: the same file
// index and the same kind (folder or not, link or not). Every entry is
// opened by its name in a held folder without following links, so it is on
// that folder's volume. found receives what the handle reaches.
bool isListedEntry(HANDLE handle, const ListedEntry* entry, OpenedIdentity* found);
