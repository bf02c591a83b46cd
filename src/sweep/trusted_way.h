// The way to the folder the run cleans and to its log, opened one folder
// at a time, each by its name inside the folder held before it, never
// through a path that the platform resolves again. Every folder on the way
// stays held, sharing no deletion, until releaseWay(): none can be renamed
// or replaced meanwhile. A link on the way (junction, symbolic link, mount
// point), the last name included, is followed only where no other account
// than the trusted ones can change the folder that holds it.
#pragma once

#include <windows.h>

#include "common/run_records.h"

enum { LINK_NOT_FOLLOWED = ERROR_CANT_ACCESS_FILE };  // a link others may have made

// Opens the folder that path (UTF-16, absolute or relative, any length)
// names, with access (SYNCHRONIZE is needed), and holds the folders above it. Returns 0 and the
// folder's handle in *folder (the caller's to close), or the code of the
// failure: LINK_NOT_FOLLOWED, with shownUntrustedLink() naming the link.
DWORD openFolderWay(const WCHAR* path, DWORD access, HANDLE* folder);

// Holds the way to the folder that holds the file path names. Returns 0,
// that folder's handle in *folder (held until releaseWay) and the file's
// name as it stands in path, or the code of the failure.
DWORD openParentWay(const WCHAR* path, HANDLE* folder, const WCHAR** name, unsigned* nameUnits);

// True when the handle, opened by name in the last folder the way holds,
// reaches something else than that name: a link.
bool reachesAnotherPath(HANDLE opened, const WCHAR* name, unsigned nameUnits);

// The full path up to and including the link that was not followed, as
// lines show it ("?" for what the ANSI code page cannot spell exactly).
const char* shownUntrustedLink();

// Whether the folder the way last reached was named as a root: a drive,
// a share or a volume with no folder below it.
bool wayNamedARoot();

// Lets go of every folder the way holds.
void releaseWay();
