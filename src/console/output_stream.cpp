#include "console/output_stream.h"

#include "common/ansi_text.h"
#include "common/run_records.h"

struct ConsoleStream {
    HANDLE target;
    char block[OUTPUT_BLOCK];
    unsigned used;
    bool failed;
};

static ConsoleStream consoleStream;

void openConsoleStream(HANDLE target)
{
    consoleStream.target = target;
    consoleStream.used = 0;
    consoleStream.failed = false;
}

static void writeBlock()
{
    char translated[2 * OUTPUT_BLOCK];
    unsigned length = 0;
    for (unsigned i = 0; i < consoleStream.used; ++i) {
        if (consoleStream.block[i] == '\n')
            translated[length++] = '\r';
        translated[length++] = consoleStream.block[i];
    }
    consoleStream.used = 0;
    DWORD written = 0;
    if (!WriteFile(consoleStream.target, translated, length, &written, nullptr) || written != length)
        consoleStream.failed = true;
}

void insertText(const char* text)
{
    unsigned remaining = textLength(text);
    while (remaining > 0 && !consoleStream.failed) {
        if (consoleStream.used == OUTPUT_BLOCK)
            writeBlock();
        if (consoleStream.failed)
            return;
        unsigned room = OUTPUT_BLOCK - consoleStream.used;
        unsigned count = remaining < room ? remaining : room;
        CopyMemory(consoleStream.block + consoleStream.used, text, count);
        consoleStream.used += count;
        text += count;
        remaining -= count;
    }
}

void closeConsoleStream()
{
    if (!consoleStream.failed && consoleStream.used > 0)
        writeBlock();
    consoleStream.failed = true;
}

int consoleStreamFailed()
{
    return consoleStream.failed;
}

void emit(const char* text, int force)
{
    if (!runOptions.quiet || force != 0)
        insertText(text);
}
