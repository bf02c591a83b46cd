// Names as a folder listing gives them (UTF-16), turned into the ANSI code
// page without best-fit substitutes: an ANSI name that the A functions would
// read as another name, a path or a device must never be acted on.
#pragma once

#include <windows.h>

enum {
    LISTED_NAME_UNITS = 255,                            // the longest name a file system keeps
    LISTED_NAME_BUFFER = 2 * LISTED_NAME_UNITS + 1,     // two bytes a character at most, and the zero
};

// Writes the ANSI form of a listed name into name (LISTED_NAME_BUFFER bytes)
// and returns 1 when that form reaches exactly this entry. Otherwise returns
// 0 and name shows the entry with "?" for every character that has no exact
// ANSI spelling or cannot stand in a name, so that no name can forge a line.
int readListedName(const WCHAR* wide, unsigned units, char* name);
