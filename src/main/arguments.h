#pragma once

#include <windows.h>

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
    refusalUnknown,      // no option at all, an empty argument included
    refusalBareFolder,   // no option, and it looks like a folder given without "/P:"
};

struct ArgumentsRefusal {
    const char* argument;  // the first refused argument on the command line, as shown
    RefusalKind kind;
};

// Reads arguments 1 to count - 1 into runOptions. words are the arguments
// as the command line holds them (UTF-16); arguments are the same in the
// ANSI code page, with "?" for each character that has no exact spelling,
// and inexact (or nullptr) marks those that have such a character or a
// control character. The words must outlive the run: the folder and log
// values point into them.
ArgumentsOutcome readArguments(int count, WCHAR* const* words, char* const* arguments, const unsigned char* inexact);

// The first refused argument, when readArguments returned argumentsRefused.
const ArgumentsRefusal* refusedArgument();

// The folder of the last "/P:" argument as the command line holds it, or nullptr.
const WCHAR* targetFolderArgument();

// The file of the last "/LOG:" argument as the command line holds it, or nullptr.
const WCHAR* logFileArgument();

// The same values in the ANSI code page, with "?" for each character that
// has no exact spelling, for lines; nullptr when not given.
const char* shownTargetFolderArgument();
const char* shownLogFileArgument();

// True when a "/LOG" argument was refused: no log is then written.
bool logOptionRefused();
