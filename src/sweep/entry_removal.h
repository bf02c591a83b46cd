// Deletes a listed file or removes a listed folder, acting only on the entry
// that was listed: attributes change, and a link or read-only entry goes,
// only through a handle checked to be that entry.
#pragma once

#include <windows.h>

#include "sweep/folder_listing.h"

// Deletes or removes the entry listed at path. Returns 0 or a Win32 code:
// ENTRY_NOT_AS_LISTED when another entry has taken its name.
DWORD removeListedEntry(const char* path, const ListedEntry* entry);

// Removes the folder that listing holds (opened for removal) as listed.
DWORD removeHeldFolder(FolderListing* listing, const ListedEntry* entry);
