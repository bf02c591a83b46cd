#include "main/exact_arguments.h"

#include "common/exact_ansi.h"

static unsigned wideLength(const WCHAR* wide)
{
    unsigned units = 0;
    while (wide[units] != L'\0')
        ++units;
    return units;
}

static bool holdsControlCharacter(const WCHAR* wide, unsigned units)
{
    for (unsigned i = 0; i < units; ++i) {
        if (isControlCharacter(wide[i]))
            return true;
    }
    return false;
}

int readExactText(const WCHAR* wide, char* text, unsigned size)
{
    unsigned units = wideLength(wide);
    text[0] = '\0';
    if (size == 0 || units == 0)
        return 1;
    if (!holdsControlCharacter(wide, units)) {
        unsigned bytes = convertExactly(wide, units, text, size - 1);
        if (bytes != 0) {
            text[bytes] = '\0';
            return 1;
        }
    }
    writeShownText(wide, units, text, size, nullptr);
    return 0;
}

void readExactArguments(int count, WCHAR* const* words, char* storage, unsigned size, char** arguments,
                        unsigned char* inexact)
{
    unsigned used = 0;
    for (int i = 0; i < count; ++i) {
        char* argument = storage + (used < size ? used : size - 1);
        unsigned room = used < size ? size - used : 1;
        inexact[i] = !readExactText(words[i], argument, room);
        arguments[i] = argument;
        while (used < size && storage[used] != '\0')
            ++used;
        if (used < size)
            ++used;
    }
}
