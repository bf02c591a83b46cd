#pragma once

#include <windows.h>

// Opens the log for appending (made when missing, never truncated; others
// may read and append while the run writes, none may delete it), marks it
// in runLog for the sweep to leave alone, and writes the record's first
// line: version, local date and time, account and commandTail. The log is
// reached through its way and opened by its name in the folder that holds
// it: a link at its name or one others may have made on its way, a file
// with another name, a file of another account, or anything but a file on
// a disk is refused. Returns 0, the code of the failure, or
// ERROR_OPEN_FAILED with logFailureCause() saying why it was refused.
DWORD openRunLog(const WCHAR* path, const char* commandTail);

// Why the log was refused, or nullptr when the platform's code says it.
const char* logFailureCause();

// Ends the record: the summary line unless the run already wrote it, then
// "Exit code N.", and closes the log. Returns 0, or the code of a write to
// the log that failed during the run.
DWORD closeRunLog(DWORD exitCode, bool summaryWritten);
