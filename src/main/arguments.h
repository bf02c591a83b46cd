#pragma once

enum ArgumentsOutcome {
    argumentsRead,      // the run goes on
    argumentsAskUsage,  // "/?" or "-?" was met: show the usage screen
    argumentsRefused,   // an argument was refused: see refusedArgument
};

// What is wrong with a refused argument.
enum RefusalKind {
    refusalDayCount,     // a "/D" value is no number of days from 1 to 3650
    refusalFolderOption, // begins "/P" but is no "/P:" with a folder
    refusalLogOption,    // begins "/LOG" but is no "/LOG:" with a file
    refusalInexact,      // has no exact ANSI spelling, or holds a control character
};

struct ArgumentsRefusal {
    const char* argument;  // the first refused argument on the command line
    RefusalKind kind;
};

// Reads arguments 1 to count - 1 into runOptions and targetFolder. inexact
// (or nullptr) marks the arguments that cannot be read exactly.
ArgumentsOutcome readArguments(int count, char** arguments, const unsigned char* inexact);

// True when the last "/p:" value was longer than a folder path can be, in
// normal form.
bool targetFolderTooLong();

// The first refused argument, when readArguments returned argumentsRefused.
const ArgumentsRefusal* refusedArgument();

// The file of the last "/LOG:" argument, or nullptr.
const char* logFileArgument();

// True when a "/LOG" argument was refused: no log is then written.
bool logOptionRefused();
