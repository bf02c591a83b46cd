// UTF-16 text (a listed name, a command-line argument) turned into the ANSI
// code page without best-fit substitutes: the A functions would read a
// look-alike (a full-width backslash, a yen sign in 932) as another
// character, so only a spelling that converts back to exactly the same text
// counts.
#pragma once

#include <windows.h>

// C0 and C1 control characters and DEL: none may reach the report, where
// they could forge a line or drive the terminal.
bool isControlCharacter(WCHAR c);

// Writes the exact ANSI bytes of wide into ansi (size bytes, no terminating
// zero) and returns their number; 0 when there is no exact spelling or it
// does not fit.
unsigned convertExactly(const WCHAR* wide, unsigned units, char* ansi, unsigned size);

// Writes wide as text (size bytes with its terminating zero) and returns 1
// when it is exact: no control character, none that hidden() (or nullptr)
// names, and an exact spelling that fits. Otherwise returns 0 and writes it
// one character at a time, with "?" for each such character.
int readExactly(const WCHAR* wide, unsigned units, char* text, unsigned size, bool (*hidden)(WCHAR));
