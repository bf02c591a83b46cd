#include "main/command_line.h"

#include "common/ansi_text.h"

namespace {

struct WordWriter {
    char* storage;
    unsigned size;
    unsigned used;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Keeps one byte free in storage for the word's terminating zero.
void putByte(WordWriter* writer, char c)
{
    if (writer->used + 1 < writer->size)
        writer->storage[writer->used++] = c;
}

// Copies one whole character; returns how many bytes of input it took.
unsigned putChar(WordWriter* writer, const char* input)
{
    unsigned length = charLength(input);
    if (writer->used + length < writer->size) {
        for (unsigned i = 0; i < length; ++i)
            writer->storage[writer->used++] = input[i];
    }
    return length;
}

void endWord(WordWriter* writer)
{
    if (writer->used < writer->size)
        writer->storage[writer->used++] = '\0';
    else
        writer->storage[writer->size - 1] = '\0';
}

const char* readProgramPath(WordWriter* writer, const char* input)
{
    if (*input == '"') {
        ++input;
        while (*input != '\0' && *input != '"')
            input += putChar(writer, input);
        if (*input == '"')
            ++input;
    } else {
        while (*input != '\0' && !isBlank(*input))
            input += putChar(writer, input);
    }
    endWord(writer);
    return input;
}

const char* readBackslashes(WordWriter* writer, const char* input, bool* quoted)
{
    unsigned count = 0;
    while (input[count] == '\\')
        ++count;
    if (input[count] != '"') {
        for (unsigned i = 0; i < count; ++i)
            putByte(writer, '\\');
        return input + count;
    }
    for (unsigned i = 0; i < count / 2; ++i)
        putByte(writer, '\\');
    if (count % 2 == 0)
        *quoted = !*quoted;
    else
        putByte(writer, '"');
    return input + count + 1;
}

const char* readArgument(WordWriter* writer, const char* input)
{
    bool quoted = false;
    while (*input != '\0' && (quoted || !isBlank(*input))) {
        if (*input == '\\') {
            input = readBackslashes(writer, input, &quoted);
        } else if (*input == '"') {
            quoted = !quoted;
            ++input;
        } else {
            input += putChar(writer, input);
        }
    }
    endWord(writer);
    return input;
}

} // namespace

const char* commandLineTail(const char* commandLine)
{
    char scratch[1];
    WordWriter nowhere = {scratch, sizeof scratch, 0};
    const char* input = readProgramPath(&nowhere, commandLine);
    while (isBlank(*input))
        ++input;
    return input;
}

int splitCommandLine(const char* commandLine, char* storage, unsigned storageSize, char** words, int maxWords)
{
    WordWriter writer = {storage, storageSize, 0};
    words[0] = storage;
    const char* input = readProgramPath(&writer, commandLine);
    int count = 1;
    for (;;) {
        while (isBlank(*input))
            ++input;
        if (*input == '\0' || count == maxWords || writer.used >= storageSize)
            break;
        words[count++] = storage + writer.used;
        input = readArgument(&writer, input);
    }
    return count;
}
