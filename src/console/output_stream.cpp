#include "console/output_stream.h"

#include "common/ansi_text.h"
#include "common/run_records.h"

// Standard output, or the log: each collects its own blocks.
struct OutputStream {
    HANDLE target;
    char block[OUTPUT_BLOCK];
    unsigned used;
    bool failed;
    bool lineEnded;  // the last byte taken was a line feed
};

static OutputStream consoleStream;
static OutputStream logStream = {nullptr, {}, 0, true, true};

static void openStream(OutputStream* stream, HANDLE target)
{
    stream->target = target;
    stream->used = 0;
    stream->failed = false;
    stream->lineEnded = true;
}

static void writeBlock(OutputStream* stream)
{
    char translated[2 * OUTPUT_BLOCK];
    unsigned length = 0;
    for (unsigned i = 0; i < stream->used; ++i) {
        if (stream->block[i] == '\n')
            translated[length++] = '\r';
        translated[length++] = stream->block[i];
    }
    stream->used = 0;
    DWORD written = 0;
    if (!WriteFile(stream->target, translated, length, &written, nullptr) || written != length)
        stream->failed = true;
}

static void insertInto(OutputStream* stream, const char* text)
{
    unsigned remaining = textLength(text);
    if (remaining > 0 && !stream->failed)
        stream->lineEnded = text[remaining - 1] == '\n';
    while (remaining > 0 && !stream->failed) {
        if (stream->used == OUTPUT_BLOCK)
            writeBlock(stream);
        if (stream->failed)
            return;
        unsigned room = OUTPUT_BLOCK - stream->used;
        unsigned count = remaining < room ? remaining : room;
        CopyMemory(stream->block + stream->used, text, count);
        stream->used += count;
        text += count;
        remaining -= count;
    }
}

static void closeStream(OutputStream* stream)
{
    if (!stream->failed && stream->used > 0)
        writeBlock(stream);
    stream->failed = true;
}

void openConsoleStream(HANDLE target)
{
    openStream(&consoleStream, target);
}

void insertText(const char* text)
{
    insertInto(&consoleStream, text);
}

void closeConsoleStream()
{
    closeStream(&consoleStream);
}

int consoleStreamFailed()
{
    return consoleStream.failed;
}

void openLogStream(HANDLE log)
{
    openStream(&logStream, log);
}

void insertLogText(const char* text)
{
    insertInto(&logStream, text);
}

int logLineEnded()
{
    return logStream.lineEnded;
}

void closeLogStream()
{
    closeStream(&logStream);
}

void emit(const char* text, int force)
{
    if (!runOptions.quiet || force != 0)
        insertText(text);
    insertLogText(text);
}
