#pragma once

#include <windows.h>

// Opens the log for appending (made when missing, never truncated; others
// may read and append while the run writes, none may delete it), marks it
// in runLog for the sweep to leave alone, and writes the record's first
// line: version, local date and time, account and commandTail. Returns 0 or
// the code of a log that cannot be opened.
DWORD openRunLog(const char* path, const char* commandTail);

// Ends the record: the summary line unless the run already wrote it, then
// "Exit code N.", and closes the log. Nothing without an open log.
void closeRunLog(DWORD exitCode, bool summaryWritten);
