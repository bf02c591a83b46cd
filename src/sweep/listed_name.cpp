#include "sweep/listed_name.h"

#include "common/ansi_text.h"
#include "common/exact_ansi.h"

// The characters that Win32 reads as part of a path or a pattern; a Unix
// process can put any of them into a name.
static bool isPathCharacter(WCHAR c)
{
    for (const char* forbidden = "\\/:*?\"<>|"; *forbidden != '\0'; ++forbidden) {
        if (c == static_cast<WCHAR>(*forbidden))
            return true;
    }
    return false;
}

static WCHAR upperAscii(WCHAR c)
{
    return c >= 'a' && c <= 'z' ? static_cast<WCHAR>(c - 'a' + 'A') : c;
}

static bool startsWithAscii(const WCHAR* wide, unsigned units, const char* word)
{
    unsigned i = 0;
    for (; word[i] != '\0'; ++i) {
        if (i == units || upperAscii(wide[i]) != static_cast<WCHAR>(word[i]))
            return false;
    }
    return true;
}

// A digit of COM1-COM9 and LPT1-LPT9, superscript one, two and three included.
static bool isPortDigit(WCHAR c)
{
    return (c >= '1' && c <= '9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

// Win32 reads CON, NUL, COM1 and the like as devices, with any extension
// and with blanks before it: "nul .tmp" is NUL.
static bool isDeviceName(const WCHAR* wide, unsigned units)
{
    unsigned base = 0;
    while (base < units && wide[base] != '.')
        ++base;
    while (base > 0 && wide[base - 1] == ' ')
        --base;
    const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : devices) {
        if (textLength(device) == base && startsWithAscii(wide, base, device))
            return true;
    }
    return base == 4 && (startsWithAscii(wide, 3, "COM") || startsWithAscii(wide, 3, "LPT")) && isPortDigit(wide[3]);
}

// Win32 strips a trailing dot or blank, and so would reach another entry.
static bool endsInDotOrBlank(const WCHAR* wide, unsigned units)
{
    return units > 0 && (wide[units - 1] == '.' || wide[units - 1] == ' ');
}

int readListedName(const WCHAR* wide, unsigned units, char* name)
{
    if (units > LISTED_NAME_UNITS)
        units = LISTED_NAME_UNITS;
    int exact = readExactly(wide, units, name, LISTED_NAME_BUFFER, isPathCharacter);
    return exact && units > 0 && !isDeviceName(wide, units) && !endsInDotOrBlank(wide, units);
}
