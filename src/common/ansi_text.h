// Text in the ANSI code page that the program takes up at start-up.
// Names and paths compare without regard to ASCII case; on a double-byte
// code page a lead byte and its trail byte are one character, so a trail
// byte is never taken for a backslash, a dot or a quote.
#pragma once

#include <windows.h>

void setAnsiCodePage(UINT codePage);
UINT ansiCodePageInUse();

// 2 when text starts with a lead byte that a trail byte follows, else 1.
unsigned charLength(const char* text);

unsigned textLength(const char* text);

// Whole texts, compared as described above.
int equalsNoCase(const char* text, const char* other);

// Compares the first strlen(prefix) bytes only: a shorter text never matches.
int beginsWithNoCase(const char* text, const char* prefix);

// The last occurrence of a single-byte character, or nullptr.
const char* findLastChar(const char* text, char wanted);

// The start of the last character of text, or nullptr for an empty text.
const char* lastChar(const char* text);

// Copies source whole into a buffer of bufferSize bytes; returns 0 and
// leaves the buffer empty when it does not fit.
int copyWhole(char* buffer, unsigned bufferSize, const char* source);

// A message assembled in a fixed buffer. Pieces that do not fit are cut at
// a character boundary; nothing is ever written past the buffer.
struct TextBuilder {
    char* text;
    unsigned size;
    unsigned length;
};

void startText(TextBuilder* builder, char* buffer, unsigned size);
void appendText(TextBuilder* builder, const char* piece);
void appendPiece(TextBuilder* builder, const char* piece, unsigned pieceLength);
// A 32-bit code or count as signed decimal text.
void appendNumber(TextBuilder* builder, DWORD value);
// An unsigned count as decimal text, with leading zeros to width digits.
void appendDigits(TextBuilder* builder, ULONGLONG value, unsigned width);
