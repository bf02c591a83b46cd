#include "main/exact_arguments.h"

#include "common/ansi_text.h"
#include "common/exact_ansi.h"

static unsigned wideLength(const WCHAR* wide)
{
    unsigned units = 0;
    while (wide[units] != L'\0')
        ++units;
    return units;
}

int readExactText(const WCHAR* wide, char* text, unsigned size)
{
    return readExactly(wide, wideLength(wide), text, size, nullptr);
}

void readExactArguments(int count, WCHAR* const* words, char* storage, unsigned size, char** arguments,
                        unsigned char* inexact)
{
    unsigned used = 0;
    for (int i = 0; i < count; ++i) {
        char* argument = storage + (used < size ? used : size - 1);
        inexact[i] = !readExactText(words[i], argument, used < size ? size - used : 1);
        arguments[i] = argument;
        used += textLength(argument) + 1;
    }
}
