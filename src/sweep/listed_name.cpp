#include "sweep/listed_name.h"

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

int readListedName(const WCHAR* wide, unsigned units, char* name)
{
    if (units > LISTED_NAME_UNITS)
        units = LISTED_NAME_UNITS;
    readExactly(wide, units, name, LISTED_NAME_BUFFER, isPathCharacter);
    for (unsigned i = 0; i < units; ++i) {
        if (isPathCharacter(wide[i]))
            return 0;
    }
    return units > 0;
}
