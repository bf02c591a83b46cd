#include "main/command_line.h"

namespace {

struct WordWriter {
    WCHAR* storage;
    unsigned size;
    unsigned used;
};

bool isBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

// Keeps one unit free in storage for the word's terminating zero.
void putUnit(WordWriter* writer, WCHAR c)
{
    if (writer->used + 1 < writer->size)
        writer->storage[writer->used++] = c;
}

void endWord(WordWriter* writer)
{
    if (writer->used < writer->size)
        writer->storage[writer->used++] = L'\0';
    else
        writer->storage[writer->size - 1] = L'\0';
}

const WCHAR* readProgramPath(WordWriter* writer, const WCHAR* input)
{
    if (*input == L'"') {
        ++input;
        while (*input != L'\0' && *input != L'"')
            putUnit(writer, *input++);
        if (*input == L'"')
            ++input;
    } else {
        while (*input != L'\0' && !isBlank(*input))
            putUnit(writer, *input++);
    }
    endWord(writer);
    return input;
}

const WCHAR* readBackslashes(WordWriter* writer, const WCHAR* input, bool* quoted)
{
    unsigned count = 0;
    while (input[count] == L'\\')
        ++count;
    if (input[count] != L'"') {
        for (unsigned i = 0; i < count; ++i)
            putUnit(writer, L'\\');
        return input + count;
    }
    for (unsigned i = 0; i < count / 2; ++i)
        putUnit(writer, L'\\');
    if (count % 2 == 0)
        *quoted = !*quoted;
    else
        putUnit(writer, L'"');
    return input + count + 1;
}

const WCHAR* readArgument(WordWriter* writer, const WCHAR* input)
{
    bool quoted = false;
    while (*input != L'\0' && (quoted || !isBlank(*input))) {
        if (*input == L'\\') {
            input = readBackslashes(writer, input, &quoted);
        } else if (*input == L'"') {
            quoted = !quoted;
            ++input;
        } else {
            putUnit(writer, *input++);
        }
    }
    endWord(writer);
    return input;
}

} // namespace

int splitCommandLine(const WCHAR* commandLine, WCHAR* storage, unsigned storageUnits, WCHAR** words, int maxWords)
{
    WordWriter writer = {storage, storageUnits, 0};
    words[0] = storage;
    const WCHAR* input = readProgramPath(&writer, commandLine);
    int count = 1;
    for (;;) {
        while (isBlank(*input))
            ++input;
        if (*input == L'\0' || count == maxWords || writer.used >= storageUnits)
            break;
        words[count++] = storage + writer.used;
        input = readArgument(&writer, input);
    }
    return count;
}

const WCHAR* commandLineTail(const WCHAR* commandLine)
{
    WCHAR ignored[1];
    WordWriter writer = {ignored, 1, 0};
    const WCHAR* input = readProgramPath(&writer, commandLine);
    while (isBlank(*input))
        ++input;
    return input;
}
