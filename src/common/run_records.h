// The run-wide records: settings read from the command line, the Windows
// and System folders, and the folder the run cleans.
#pragma once

enum {
    PATH_BUFFER = 261,     // MAX_PATH characters and the terminating zero
    MESSAGE_BUFFER = 512,  // one message line or one error text
};

struct RunOptions {
    bool confirm;         // ask before cleaning (/Y clears it)
    bool oldOnly;         // spare entries touched lately (/O, /D:n)
    unsigned spareDays;   // /D:n: the longest n given; 0 without /D, where /O spares today alone
    bool allFiles;        // every name qualifies (/A)
    bool quiet;           // silence ordinary output (/Q)
    bool diagnostic;      // extra tracing (the diagnostic switch)
    bool applyChanges;    // false makes the run a dry run
};

struct SystemFolders {
    char windowsFolder[PATH_BUFFER];
    char systemFolder[PATH_BUFFER];
};

extern RunOptions runOptions;
extern SystemFolders systemFolders;
extern char targetFolder[PATH_BUFFER];

// Puts every record back to its state at start-up.
void resetRunRecords();
