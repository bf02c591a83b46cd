#include "console/output_stream.h"

#include "common/ansi_text.h"
#include "common/run_records.h"

enum {
    // The log is written whole lines at a time, so that runs that append
    // to one log never splice each other's lines: its block holds the
    // longest line, a path of the longest length and its words.
    LOG_BLOCK = SHOWN_PATH_BUFFER + 1024,
    MOST_TURN_TRIES = 10000,  // about ten seconds: one who holds the turn longer is not waited for
};

// Standard output, or the log: each collects its own blocks.
struct OutputStream {
    HANDLE target;
    char* block;
    unsigned size;
    unsigned used;
    bool failed;
    DWORD failure;   // the code of the write that failed
    bool lineEnded;  // the last byte taken was a line feed
    bool wholeLines;  // written out a line end at a time, in turn with other runs
};

static char consoleBlock[OUTPUT_BLOCK];
static char logBlock[LOG_BLOCK];
static char translated[2 * LOG_BLOCK];
static OutputStream consoleStream = {nullptr, consoleBlock, OUTPUT_BLOCK, 0, false, 0, true, false};
static OutputStream logStream = {nullptr, logBlock, LOG_BLOCK, 0, true, 0, true, true};

static void openStream(OutputStream* stream, HANDLE target)
{
    stream->target = target;
    stream->used = 0;
    stream->failed = false;
    stream->failure = 0;
    stream->lineEnded = true;
}

// Runs that share a log take turns to append: the platform's appends are
// not whole everywhere (Wine appends at the size it has just read), so a
// byte past any data is locked around each write.
static bool takeTurn(HANDLE file, OVERLAPPED* turn)
{
    turn->OffsetHigh = 0x7FFFFFFF;
    for (unsigned tries = 0; tries < MOST_TURN_TRIES; ++tries) {
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, turn))
            return true;
        Sleep(1);
    }
    return false;
}

// Writes out the first count bytes of the block, each LF as CR LF, in one
// call, and keeps the rest.
static void writeOut(OutputStream* stream, unsigned count)
{
    unsigned length = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (stream->block[i] == '\n')
            translated[length++] = '\r';
        translated[length++] = stream->block[i];
    }
    MoveMemory(stream->block, stream->block + count, stream->used - count);
    stream->used -= count;
    DWORD written = 0;
    OVERLAPPED turn = {};
    bool turnTaken = stream->wholeLines && takeTurn(stream->target, &turn);
    BOOL wrote = WriteFile(stream->target, translated, length, &written, nullptr);
    DWORD failure = GetLastError();
    if (turnTaken)
        UnlockFileEx(stream->target, 0, 1, 0, &turn);
    if (!wrote) {
        stream->failed = true;
        stream->failure = failure;
    } else if (written != length) {
        stream->failed = true;
        stream->failure = ERROR_WRITE_FAULT;
    }
}

// The bytes up to the last line end; 0 when there is none.
static unsigned wholeLinesIn(const OutputStream* stream)
{
    unsigned end = stream->used;
    while (end > 0 && stream->block[end - 1] != '\n')
        --end;
    return end;
}

// A line longer than the whole block is the only one ever written in parts.
static void makeRoom(OutputStream* stream)
{
    unsigned lines = stream->wholeLines ? wholeLinesIn(stream) : 0;
    writeOut(stream, lines > 0 ? lines : stream->used);
}

static void insertInto(OutputStream* stream, const char* text)
{
    unsigned remaining = textLength(text);
    if (remaining > 0 && !stream->failed)
        stream->lineEnded = text[remaining - 1] == '\n';
    while (remaining > 0 && !stream->failed) {
        if (stream->used == stream->size)
            makeRoom(stream);
        if (stream->failed)
            return;
        unsigned room = stream->size - stream->used;
        unsigned count = remaining < room ? remaining : room;
        CopyMemory(stream->block + stream->used, text, count);
        stream->used += count;
        text += count;
        remaining -= count;
    }
    // The log goes out about as often as standard output does, in whole lines.
    unsigned lines = stream->wholeLines && stream->used >= OUTPUT_BLOCK ? wholeLinesIn(stream) : 0;
    if (lines > 0 && !stream->failed)
        writeOut(stream, lines);
}

static void closeStream(OutputStream* stream)
{
    if (!stream->failed && stream->used > 0)
        writeOut(stream, stream->used);
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

DWORD flushLogStream()
{
    if (!logStream.failed && logStream.used > 0)
        writeOut(&logStream, logStream.used);
    return logStream.failure;
}

DWORD closeLogStream()
{
    DWORD failure = flushLogStream();
    logStream.failed = true;
    return failure;
}

void emit(const char* text, int force)
{
    if (!runOptions.quiet || force != 0)
        insertText(text);
    insertLogText(text);
}
