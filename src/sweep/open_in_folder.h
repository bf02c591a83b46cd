// Opens an entry by its listed name inside the folder the sweep holds, never
// through a path that the platform resolves again from the drive root: a
// folder renamed or replaced above it redirects nothing. The name matches
// exactly (letter case included, never a short name), and a link is opened
// as itself, never followed.
#pragma once

#include <windows.h>

// How a name is opened: in folder (nullptr: name is a full platform name),
// with access (SYNCHRONIZE is always added), sharing, a disposition
// (FILE_OPEN, FILE_CREATE) and the platform's open options (synchronous
// access is always added); anyCase lets letter case differ, as the A and W
// functions do.
struct NamedOpen {
    HANDLE folder;
    DWORD access;
    DWORD sharing;
    ULONG disposition;
    DWORD options;
    bool anyCase;
};

// Opens or makes name (units UTF-16 units) as open says. Returns the
// handle, or INVALID_HANDLE_VALUE with the Win32 code in *code.
HANDLE openByName(const NamedOpen* open, const WCHAR* name, unsigned units, DWORD* code);

// Opens name (units UTF-16 units) in folder with access, sharing and the
// platform's open options (FILE_OPEN_REPARSE_POINT and synchronous access
// are always added). Returns the handle, or INVALID_HANDLE_VALUE with the
// Win32 code in *code.
HANDLE openInFolder(HANDLE folder, const WCHAR* name, unsigned units, DWORD access, DWORD sharing, DWORD options,
                    DWORD* code);

// What a handle reaches, asked of the open file itself: never of a path,
// which a rename above it would lead elsewhere.
struct OpenedIdentity {
    LONGLONG index;    // the file system's index of the file
    DWORD attributes;
    DWORD links;       // the number of names a file has
};

// Fills found; false when the file system does not tell.
bool readOpenedIdentity(HANDLE handle, OpenedIdentity* found);

// The file system's index of what handle reaches; 0 when it cannot be had.
LONGLONG fileIndexOf(HANDLE handle);
