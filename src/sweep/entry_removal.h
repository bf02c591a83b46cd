// Deletes a listed file or removes a listed folder, acting only on the entry
// that was listed, by its name inside the folder the sweep holds: attributes
// change, and a link, a read-only entry or a name that another entry may
// answer to goes, only through a handle checked to be that entry.
#pragma once

#include <windows.h>

#include "sweep/folder_listing.h"

// Deletes or removes the entry listed in the folder that parent holds.
// Returns 0 or a Win32 code: ENTRY_NOT_AS_LISTED when another entry has
// taken its name, ERROR_DIR_NOT_EMPTY for a folder that is still there.
DWORD removeListedEntry(HANDLE parent, const ListedEntry* entry);

// Removes the folder that listing holds (opened for removal) as listed, and
// closes the listing; a folder that stays gets the access date it was listed
// with back. Returns as removeListedEntry does.
DWORD removeHeldFolder(FolderListing* listing, HANDLE parent, const ListedEntry* entry);
