// The run-wide records: settings read from the command line, the Windows
// and System folders, the folder the run cleans, the log the run writes,
// and the totals the sweep counts for the summary line.
#pragma once

#include <windows.h>

enum {
    PATH_BUFFER = 261,         // MAX_PATH characters and the terminating zero
    MESSAGE_BUFFER = 512,      // one message line or one error text
    MOST_FAILURE_CODES = 16,   // distinct codes the summary names; the highest give way
    LONGEST_PATH = 32767,      // UTF-16 units of the longest path the platform takes
    SHOWN_PATH_BUFFER = 2 * LONGEST_PATH + 2,  // a path in the ANSI code page, two bytes a unit at most
};

struct RunOptions {
    bool confirm;         // ask before cleaning (/Y clears it)
    bool oldOnly;         // spare entries touched lately (/O, /D:n)
    unsigned spareDays;   // /D:n: the longest n given; 0 without /D, where /O spares today alone
    bool allFiles;        // every name qualifies (/A)
    bool quiet;           // silence ordinary output (/Q)
    bool diagnostic;      // extra tracing (the diagnostic switch)
    bool applyChanges;    // false makes the run a dry run
    bool listOnly;        // /L: a dry run without trace, box or confirmation
};

struct SystemFolders {
    char windowsFolder[PATH_BUFFER];
    char systemFolder[PATH_BUFFER];
};

// The folder the run cleans: in folder normal form as the system holds it,
// and as lines show it, with "?" for each character the ANSI code page
// cannot spell exactly or that is a control character.
struct TargetFolder {
    WCHAR path[LONGEST_PATH + 2];
    char shown[SHOWN_PATH_BUFFER];
};

// The log the run appends to, by identity: the sweep leaves that file alone.
struct RunLog {
    bool open;
    DWORD volume;        // serial number of its volume
    ULONGLONG fileId;    // its file index on that volume
};

// What the sweep's lines said, over every level of the walk.
struct RunTotals {
    unsigned filesDeleted;     // Deleting lines of files that went (or would go, under /L)
    unsigned foldersRemoved;   // Removing lines of folders and links that went (or would go)
    unsigned skipped;          // Skipping lines
    unsigned spared;           // SkipDate lines
    unsigned failed;           // lines that end in a failure
    ULONGLONG bytesFreed;      // the listed sizes of the files deleted
    DWORD failureCodes[MOST_FAILURE_CODES];  // distinct, ascending
    unsigned failureCodeCount;
};

extern RunOptions runOptions;
extern SystemFolders systemFolders;
extern TargetFolder runTarget;
extern RunLog runLog;
extern RunTotals runTotals;

// Counts one line that ends in a failure with code.
void countFailure(DWORD code);

// Puts every record back to its state at start-up.
void resetRunRecords();
