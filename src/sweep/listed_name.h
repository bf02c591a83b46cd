// Names as a folder listing gives them (UTF-16), shown in the ANSI code page
// without best-fit substitutes. Every act goes by the listed UTF-16 name
// relative to a held folder, so a name reaches its entry whatever it holds:
// a device's name, a trailing dot or blank, a character the code page lacks.
// Only a path or pattern character, which no Windows name can hold, does not.
#pragma once

#include <windows.h>

enum {
    LISTED_NAME_UNITS = 255,                            // the longest name a file system keeps
    LISTED_NAME_BUFFER = 2 * LISTED_NAME_UNITS + 1,     // two bytes a character at most, and the zero
};

// Writes the shown form of a listed name into name (LISTED_NAME_BUFFER
// bytes): its ANSI spelling, with "?" for every character that has none, is
// a control character or is a path character, so that no name can forge a
// line. Returns 1 when the listed name can be opened, 0 when it holds a
// path character.
int readListedName(const WCHAR* wide, unsigned units, char* name);
