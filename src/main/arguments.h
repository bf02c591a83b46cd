#pragma once

enum ArgumentsOutcome {
    argumentsRead,        // the run goes on
    argumentsAskUsage,    // "/?" or "-?" was met: show the usage screen
};

// Reads arguments 1 to count - 1 into runOptions and targetFolder.
ArgumentsOutcome readArguments(int count, char** arguments);

// True when the last "/p:" value was longer than a folder path can be.
bool targetFolderTooLong();
