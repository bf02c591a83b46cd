#include "common/ansi_text.h"

static UINT ansiCodePage = CP_ACP;
static unsigned char leadBytes[256];

void setAnsiCodePage(UINT codePage)
{
    ansiCodePage = codePage;
    for (unsigned byte = 0; byte < 256; ++byte)
        leadBytes[byte] = 0;
    CPINFO info;
    if (!GetCPInfo(codePage, &info))
        return;
    for (unsigned range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
        for (unsigned byte = info.LeadByte[range]; byte <= info.LeadByte[range + 1]; ++byte)
            leadBytes[byte] = 1;
    }
}

UINT ansiCodePageInUse()
{
    return ansiCodePage;
}

unsigned charLength(const char* text)
{
    return leadBytes[static_cast<unsigned char>(text[0])] && text[1] != '\0' ? 2 : 1;
}

unsigned textLength(const char* text)
{
    unsigned length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

static char foldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

static WCHAR upperDoubleByte(const char* character)
{
    WCHAR wide = 0;
    if (MultiByteToWideChar(ansiCodePage, MB_ERR_INVALID_CHARS, character, 2, &wide, 1) != 1)
        return 0;
    WCHAR upper = 0;
    if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, &wide, 1, &upper, 1) != 1)
        return 0;
    return upper;
}

// Compares the characters that start at a and b; both have the given length.
static int sameChar(const char* a, const char* b, unsigned length)
{
    if (length == 1)
        return foldAscii(a[0]) == foldAscii(b[0]);
    if (a[0] == b[0] && a[1] == b[1])
        return 1;
    WCHAR upperA = upperDoubleByte(a);
    return upperA != 0 && upperA == upperDoubleByte(b);
}

int equalsNoCase(const char* text, const char* other)
{
    while (*text != '\0' && *other != '\0') {
        unsigned length = charLength(text);
        if (length != charLength(other) || !sameChar(text, other, length))
            return 0;
        text += length;
        other += length;
    }
    return *text == '\0' && *other == '\0';
}

int beginsWithNoCase(const char* text, const char* prefix)
{
    while (*prefix != '\0') {
        if (*text == '\0')
            return 0;
        unsigned length = charLength(prefix);
        if (length != charLength(text) || !sameChar(text, prefix, length))
            return 0;
        text += length;
        prefix += length;
    }
    return 1;
}

const char* findLastChar(const char* text, char wanted)
{
    const char* found = nullptr;
    for (; *text != '\0'; text += charLength(text)) {
        if (*text == wanted)
            found = text;
    }
    return found;
}

const char* lastChar(const char* text)
{
    const char* last = nullptr;
    for (; *text != '\0'; text += charLength(text))
        last = text;
    return last;
}

int copyWhole(char* buffer, unsigned bufferSize, const char* source)
{
    unsigned length = textLength(source);
    if (length >= bufferSize) {
        buffer[0] = '\0';
        return 0;
    }
    CopyMemory(buffer, source, length + 1);
    return 1;
}

void startText(TextBuilder* builder, char* buffer, unsigned size)
{
    builder->text = buffer;
    builder->size = size;
    builder->length = 0;
    buffer[0] = '\0';
}

// The longest start of piece, at most room bytes, that ends on a character boundary.
static unsigned wholeCharacters(const char* piece, unsigned room)
{
    unsigned boundary = 0;
    while (piece[boundary] != '\0') {
        unsigned next = boundary + charLength(piece + boundary);
        if (next > room)
            break;
        boundary = next;
    }
    return boundary;
}

void appendPiece(TextBuilder* builder, const char* piece, unsigned pieceLength)
{
    unsigned room = builder->size - 1 - builder->length;
    if (pieceLength > room)
        pieceLength = wholeCharacters(piece, room);
    CopyMemory(builder->text + builder->length, piece, pieceLength);
    builder->length += pieceLength;
    builder->text[builder->length] = '\0';
}

void appendText(TextBuilder* builder, const char* piece)
{
    appendPiece(builder, piece, textLength(piece));
}

void appendDigits(TextBuilder* builder, ULONGLONG value, unsigned width)
{
    char digits[24];
    unsigned position = sizeof digits;
    digits[--position] = '\0';
    do {
        digits[--position] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while ((value != 0 || sizeof digits - 1 - position < width) && position > 0);
    appendText(builder, digits + position);
}

void appendNumber(TextBuilder* builder, DWORD value)
{
    // Magnitude in unsigned arithmetic, so the most negative value is safe too.
    bool negative = static_cast<LONG>(value) < 0;
    if (negative)
        appendText(builder, "-");
    appendDigits(builder, negative ? 0u - value : value, 1);
}
