#pragma once

enum ArgumentsOutcome {
    argumentsRead,       // the run goes on
    argumentsAskUsage,   // "/?" or "-?" was met: show the usage screen
    argumentsRefused,    // an argument ends the run before anything is touched
};

enum RefusedArgumentKind {
    refusedDayCount,  // a "/D" value is no number of days from 1 to 3650
    refusedInexact,   // an argument with no exact ANSI spelling or with a control character
};

// Reads arguments 1 to count - 1 into runOptions and targetFolder. inexact
// (or nullptr) marks the arguments that cannot be read exactly.
ArgumentsOutcome readArguments(int count, char** arguments, const unsigned char* inexact);

// True when the last "/p:" value was longer than a folder path can be.
bool targetFolderTooLong();

// The first refused argument on the command line and what is wrong with it.
const char* refusedArgument();
RefusedArgumentKind refusedArgumentKind();
