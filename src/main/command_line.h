// Splits a command line into words. Blanks and tabs separate words and
// double quotes group them; 2N backslashes before a quote give N backslashes
// and toggle quoting, 2N+1 give N backslashes and a literal quote, other
// backslashes are literal. The first word, the program path, ends at its
// closing quote if it starts with one, otherwise at the first blank or tab.
#pragma once

// Writes the words one after another, each zero-terminated, into storage
// and points words[i] at each; returns the number of words (at least 1).
// Text that does not fit storage or maxWords is dropped.
int splitCommandLine(const char* commandLine, char* storage, unsigned storageSize, char** words, int maxWords);

// The command line after the program path and the blanks after it, as it came.
const char* commandLineTail(const char* commandLine);
