// Folder normal form: every trailing backslash removed, then exactly one
// appended. "C:" becomes "C:\", "C:\Temp\\\" becomes "C:\Temp\", and an
// empty path or one of backslashes only becomes "\".
#pragma once

#include <windows.h>

// Rewrites a path held in a PATH_BUFFER in place. Returns 1, or 0 when the
// normal form would not fit; the path is then left as it was.
int normalizeFolder(char* path);

// Writes path, of any length, in normal form into folder (a PATH_BUFFER).
// Returns 1, or 0 when the normal form would not fit; folder is then left
// as it was.
int copyFolderInNormalForm(char* folder, const char* path);

// Brings a UTF-16 path (a buffer of LONGEST_PATH + 2 units) into folder
// normal form in place. Returns its length in units, or 0 when it would not
// fit.
unsigned normalizeWideFolder(WCHAR* path);
