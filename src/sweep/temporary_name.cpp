#include "sweep/temporary_name.h"

#include "common/ansi_text.h"
#include "common/run_records.h"
#include "console/output_stream.h"

static void traceName(const char* shown)
{
    const char* extension = findLastChar(shown, '.');
    emit("\n[", 1);
    emit(shown, 1);
    emit("]\t[", 1);
    emit(extension != nullptr ? extension : "", 1);
    emit("]", 1);
}

static WCHAR upperAscii(WCHAR c)
{
    return c >= 'a' && c <= 'z' ? static_cast<WCHAR>(c - 'a' + 'A') : c;
}

// Whether text (units long) starts with word, ASCII letters folded; with
// whole, whether it is word.
static bool matchesWord(const WCHAR* text, unsigned units, const char* word, bool whole)
{
    unsigned i = 0;
    for (; word[i] != '\0'; ++i) {
        if (i == units || upperAscii(text[i]) != upperAscii(static_cast<WCHAR>(word[i])))
            return false;
    }
    return !whole || i == units;
}

int isTemporaryName(const WCHAR* name, unsigned units, const char* shown)
{
    if (runOptions.allFiles)
        return 1;
    if (runOptions.diagnostic)
        traceName(shown);
    unsigned dot = units;
    for (unsigned i = 0; i < units; ++i) {
        if (name[i] == L'.')
            dot = i;
    }
    const WCHAR* extension = name + dot;
    unsigned extensionUnits = units - dot;

    return matchesWord(extension, extensionUnits, ".tmp", true) ||
           matchesWord(name, units, "~", false) ||
           matchesWord(name, units, "_", false) ||
           (matchesWord(name, units, "gl", false) && matchesWord(extension, extensionUnits, ".exe", true)) ||
           matchesWord(name, units, "mse0", false) ||
           matchesWord(extension, extensionUnits, ".~", false) ||
           matchesWord(extension, extensionUnits, "._", false);
}
