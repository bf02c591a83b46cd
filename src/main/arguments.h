#pragma once

enum ArgumentsOutcome {
    argumentsRead,         // the run goes on
    argumentsAskUsage,     // "/?" or "-?" was met: show the usage screen
    argumentsBadDayCount,  // a "/D" value is no number of days from 1 to 3650
};

// Reads arguments 1 to count - 1 into runOptions and targetFolder.
ArgumentsOutcome readArguments(int count, char** arguments);

// True when the last "/p:" value was longer than a folder path can be.
bool targetFolderTooLong();

// The first "/D" argument whose value was no number of days, or nullptr.
const char* badDayCountArgument();
