// The command line's words, read in UTF-16, as ANSI arguments, marked where
// they have no exact ANSI spelling or hold a control character: a
// look-alike (a full-width quote, slash or backslash, a yen sign in code
// page 932) must never turn a folder's name into options or into another
// path.
#pragma once

#include <windows.h>

// Writes each of words[0..count) zero-terminated into storage (size bytes)
// and points arguments[i] at it. inexact[i] becomes 1 for a word that has
// no exact spelling or holds a control character; its text then shows "?"
// for each such character. Words that do not fit storage are left empty.
void readExactArguments(int count, WCHAR* const* words, char* storage, unsigned size, char** arguments,
                        unsigned char* inexact);

// Writes wide text exactly into text (size bytes), or with "?" where it
// cannot be; returns 1 when it was exact.
int readExactText(const WCHAR* wide, char* text, unsigned size);
