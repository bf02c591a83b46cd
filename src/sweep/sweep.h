#pragma once

#include <windows.h>

// Walks the folder that folder holds (opened through its way, for listing,
// sharing no deletion; the sweep closes it) depth first and deletes what
// qualifies: at the top level the entries with temporary names, inside an
// entered sub-folder everything. Lines show it as shownFolder (folder
// normal form). openCode is the code of a folder that could not be opened,
// folder is then no handle. Reports every entry through emit. Returns 0,
// the code of a folder that cannot be opened or listed, a refusal or
// internal-error code under /A, or the code of the last failed deletion or
// removal among the folder's own entries.
DWORD sweepFolder(HANDLE folder, DWORD openCode, const char* shownFolder);
