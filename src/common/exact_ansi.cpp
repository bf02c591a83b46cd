#include "common/exact_ansi.h"

#include "common/ansi_text.h"

enum { LONGEST_EXACT_TEXT = 32768 };  // UTF-16 units: the longest command line

static WCHAR roundTrip[LONGEST_EXACT_TEXT];

bool isControlCharacter(WCHAR c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

unsigned convertExactly(const WCHAR* wide, unsigned units, char* ansi, unsigned size)
{
    if (units == 0 || units > LONGEST_EXACT_TEXT || size == 0)  // a size of 0 would only ask for one
        return 0;
    UINT codePage = ansiCodePageInUse();
    BOOL usedDefault = FALSE;
    bool utf8 = codePage == CP_UTF8;  // takes neither the flag nor the default-character report
    int bytes = WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(units), ansi,
                                    static_cast<int>(size), nullptr, utf8 ? nullptr : &usedDefault);
    if (bytes <= 0 || usedDefault)
        return 0;
    int backUnits = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, ansi, bytes, roundTrip, LONGEST_EXACT_TEXT);
    if (backUnits != static_cast<int>(units))
        return 0;
    for (unsigned i = 0; i < units; ++i) {
        if (roundTrip[i] != wide[i])
            return 0;
    }
    return static_cast<unsigned>(bytes);
}

static bool isHidden(WCHAR c, bool (*hidden)(WCHAR))
{
    return isControlCharacter(c) || (hidden != nullptr && hidden(c));
}

static void writeShownText(const WCHAR* wide, unsigned units, char* text, unsigned size, bool (*hidden)(WCHAR))
{
    unsigned length = 0;
    for (unsigned i = 0; i < units && length + 1 < size;) {
        unsigned characterUnits = IS_HIGH_SURROGATE(wide[i]) && i + 1 < units ? 2 : 1;
        unsigned bytes = !isHidden(wide[i], hidden) ? convertExactly(wide + i, characterUnits, text + length, size - 1 - length) : 0;
        if (bytes == 0)
            text[length++] = '?';
        length += bytes;
        i += characterUnits;
    }
    text[length] = '\0';
}

int readExactly(const WCHAR* wide, unsigned units, char* text, unsigned size, bool (*hidden)(WCHAR))
{
    unsigned hiddenAt = 0;
    while (hiddenAt < units && !isHidden(wide[hiddenAt], hidden))
        ++hiddenAt;
    unsigned bytes = hiddenAt == units && units > 0 ? convertExactly(wide, units, text, size - 1) : 0;
    if (bytes != 0 || units == 0) {
        text[bytes] = '\0';
        return 1;
    }
    writeShownText(wide, units, text, size, hidden);
    return 0;
}
