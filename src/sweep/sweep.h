#pragma once

#include <windows.h>

// Walks folder depth first and deletes what qualifies: at the top level the
// entries with temporary names, inside an entered sub-folder everything.
// Reports every entry through emit. Returns 0, the code of a folder that
// cannot be listed, a refusal or internal-error code under /A, or the code
// of the last failed deletion or removal among folder's own entries.
DWORD sweepFolder(const char* folder, int recursed);
