// The console output stream: one process-wide buffered stream on standard
// output. Bytes collect in a 512-byte block; a full block is written out
// only when another byte arrives, and the rest at exit. Every LF goes out as
// CR LF. After the first failed or short write the stream drops everything.
// The log stream, open only with /LOG, works the same way on the log file,
// but writes whole lines only, so that runs sharing a log never splice
// their lines.
#pragma once

#include <windows.h>

enum { OUTPUT_BLOCK = 512 };

void openConsoleStream(HANDLE target);
void insertText(const char* text);
// Writes out what is still buffered; the stream is then closed.
void closeConsoleStream();
int consoleStreamFailed();

void openLogStream(HANDLE log);
void insertLogText(const char* text);
// 1 when nothing was written to the log yet or its last text ended a line.
int logLineEnded();
// Writes out what is buffered; returns 0, or the code of the first write to
// the log that failed (the log takes nothing after it).
DWORD flushLogStream();
// Writes out what is still buffered and closes the stream; returns as
// flushLogStream does.
DWORD closeLogStream();

// The output gate: writes text unless /Q is in force and force is 0. The
// log, when open, takes every text, /Q or not.
void emit(const char* text, int force);
