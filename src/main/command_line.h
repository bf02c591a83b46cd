// Splits a command line into words. Blanks and tabs separate words and
// double quotes group them; 2N backslashes before a quote give N backslashes
// and toggle quoting, 2N+1 give N backslashes and a literal quote, other
// backslashes are literal. The first word, the program path, ends at its
// closing quote if it starts with one, otherwise at the first blank or tab.
// The line is read as the system holds it, in UTF-16, so that no character
// is read as a look-alike of another.
#pragma once

#include <windows.h>

// Writes the words one after another, each zero-terminated, into storage
// (storageUnits UTF-16 units) and points words[i] at each; returns the
// number of words (at least 1). Text that does not fit storage or maxWords
// is dropped.
int splitCommandLine(const WCHAR* commandLine, WCHAR* storage, unsigned storageUnits, WCHAR** words, int maxWords);

// The text after the program path and the blanks that follow it.
const WCHAR* commandLineTail(const WCHAR* commandLine);
